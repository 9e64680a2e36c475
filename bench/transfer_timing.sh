#!/usr/bin/env bash
# Times a full 233-record receive and a full send through kld540-cli against kvrx540-sim on a
# pseudo-terminal at 115200 baud, the simulated radio pacing its bytes at the line rate, and
# compares each with the wire time of the bytes exchanged (the physical limit).
#
#   bench/transfer_timing.sh            (builds first if needed)
#
# Goals: wall time at most 1.05 x wire time; the program's CPU time at most 5 % of wall time.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/bin/kld540-cli ] && [ -x build/bin/kvrx540-sim ] || {
  cmake -S . -B build -G Ninja >/dev/null && cmake --build build >/dev/null; }

cli="$PWD/build/bin/kld540-cli"
sim="$PWD/build/bin/kvrx540-sim"
work=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
mkdir ports
export KLD540_PORTS_DIR="$work/ports"
export XDG_DATA_HOME="$work/data"  # the backups every transfer keeps stay in the scratch folder

"$cli" new -o fresh.540 >/dev/null
python3 "$OLDPWD/bench/make_full_memory.py" fresh.540 full.540

"$sim" --port 5 --level 2 --pace --quiet --load full.540 >sim.out 2>sim.err &
sim_pid=$!
for _ in $(seq 100); do grep -q ready sim.out 2>/dev/null && break; sleep 0.05; done

# The transfer log (debug mode) records every byte both ways; it gives the wire time.
wire_time() {
  python3 - "$1" <<'PY'
import sys
log = open(sys.argv[1], "rb").read()
# Sent lines end in CR LF, received ones in CR then LF; the end frame ends in CR alone and the
# last line in LF alone. Everything up to the acceptance of the speed change runs at 9600.
lines = log.replace(b"\r\n", b"\n").split(b"\n")
slow, fast, speed_seen, accepted = 0, 0, False, False
for line in lines:
    if not line or line.startswith(b"Receiving") or line.startswith(b"Sending") \
            or line.startswith(b"Transfer Complete"):
        continue
    nbytes = len(line.rstrip(b"\r")) + 1
    if accepted:
        fast += nbytes
    else:
        slow += nbytes
        if speed_seen and line.startswith(b"T204000000"):
            accepted = True
        if line.startswith(b"T2060000320480"):
            speed_seen = True
print(f"{slow * 10 / 9600 + fast * 10 / 115200:.3f} {slow + fast}")
PY
}

measure() {
  local label=$1; shift
  touch KLD-540.log
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -f "%U %S" -o cpu.txt "$cli" "$@" --port COM5 >/dev/null
  end=$(date +%s.%N)
  read -r user sys <cpu.txt
  read -r wire bytes < <(wire_time KLD-540.log)
  python3 - "$label" "$start" "$end" "$user" "$sys" "$wire" "$bytes" <<'PY'
import sys
label, start, end, user, sys_, wire, nbytes = sys.argv[1:]
wall = float(end) - float(start)
cpu = float(user) + float(sys_)
print(f"{label:8s} wall {wall:6.3f} s  wire {float(wire):6.3f} s ({nbytes} bytes)  "
      f"ratio {wall / float(wire):5.3f}  cpu {cpu:5.3f} s ({100 * cpu / wall:4.1f} % of wall)")
PY
}

measure receive receive -o got.540
# The send alone: no copy of the radio before its erase (a receive of its own).
measure send send full.540 --select-all --yes --no-radio-backup
