#!/usr/bin/env bash
# Times kld540-cli fleet programming a full plan (all 230 channels) into 1, 4 and 8 simulated
# radios at once, each on a pseudo-terminal at 115200 baud with the radio pacing its bytes at the
# line rate. Each radio is read into the backups folder, erased, sent the plan and read back
# (--yes --verify): the whole of a shop's run.
#
#   bench/fleet_timing.sh            (builds first if needed)
#
# Goals: four radios in at most 1.15 x the time of one, eight in at most 1.3 x; the program's
# CPU time at most 5 % of the wall time per radio.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/bin/kld540-cli ] && [ -x build/bin/kvrx540-sim ] || {
  cmake -S . -B build -G Ninja >/dev/null && cmake --build build >/dev/null; }

cli="$PWD/build/bin/kld540-cli"
sim="$PWD/build/bin/kvrx540-sim"
work=$(mktemp -d)
sims=()
stop_sims() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${sims[@]}"; do wait "$pid" 2>/dev/null || true; done
  sims=()
}
trap 'stop_sims; rm -rf "$work"' EXIT
cd "$work"
mkdir ports
export KLD540_PORTS_DIR="$work/ports"
export XDG_DATA_HOME="$work/data"  # the radios' copies stay in the scratch folder

"$cli" new -o fresh.540 >/dev/null
python3 "$OLDPWD/bench/make_full_memory.py" fresh.540 full.540

# Radios on COM40 and up, each holding the full plan already (so its copy is a full receive).
start_sims() {
  local count=$1
  for ((i = 0; i < count; i++)); do
    "$sim" --port $((40 + i)) --level 2 --pace --quiet --load full.540 >"sim$i.out" 2>"sim$i.err" &
    sims+=($!)
  done
  for ((i = 0; i < count; i++)); do
    for _ in $(seq 100); do grep -q ready "sim$i.out" 2>/dev/null && break; sleep 0.05; done
  done
}

one_wall=""
measure() {
  local count=$1 ports="" start end user sys
  start_sims "$count"
  for ((i = 0; i < count; i++)); do ports+="${ports:+,}COM$((40 + i))"; done
  start=$(date +%s.%N)
  /usr/bin/time -f "%U %S" -o cpu.txt \
    "$cli" fleet full.540 --ports "$ports" --select-all --yes --verify --report "report$count.csv" \
    >"fleet$count.out" 2>"fleet$count.err" || {
    echo "fleet of $count failed:"; cat "fleet$count.out" "fleet$count.err"; exit 1; }
  end=$(date +%s.%N)
  stop_sims
  read -r user sys <cpu.txt
  python3 - "$count" "$start" "$end" "$user" "$sys" "${one_wall:-0}" <<'PY'
import sys
count, start, end, user, sys_, one = sys.argv[1:]
count, wall, cpu, one = int(count), float(end) - float(start), float(user) + float(sys_), float(one)
ratio = f"  {wall / one:5.3f} x one radio" if one else ""
print(f"{count} radio{'s' if count > 1 else ' '}  wall {wall:6.2f} s{ratio}  "
      f"cpu {cpu:5.2f} s ({100 * cpu / wall:4.1f} % of wall, {100 * cpu / wall / count:4.2f} % per radio)")
PY
  if [ -z "$one_wall" ]; then one_wall=$(python3 -c "print($end - $start)"); fi
}

measure 1
measure 4
measure 8
