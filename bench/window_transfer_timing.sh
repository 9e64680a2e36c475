#!/usr/bin/env bash
# Times a full 233-record receive and a full send through the desktop window, as its buttons
# run them (on the window's thread, waiting in its event loop), against kvrx540-sim on a
# pseudo-terminal at 115200 baud, the simulated radio pacing its bytes at the line rate; prints
# each run and the medians.
#
#   bench/window_transfer_timing.sh [runs]   (3 by default; builds first if needed; offscreen
#                                             unless DISPLAY is set)
#
# Goals, up to "Transfer Complete." (the window then keeps it on show for two seconds before it
# returns, which the whole call's figures show apart): time at most 1.05 x the wire time of the
# bytes exchanged; the program's CPU time at most 5 % of that time; the event loop never held up
# for more than 50 ms (a 5 ms timer ticks throughout).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
[ -x build/bin/kld540-window-bench ] && [ -x build/bin/kvrx540-sim ] &&
  [ -x build/bin/kld540-cli ] || {
  cmake -S . -B build -G Ninja >/dev/null &&
    cmake --build build --target kld540-window-bench kvrx540-sim kld540-cli >/dev/null; }
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen

bench="$PWD/build/bin/kld540-window-bench"
cli="$PWD/build/bin/kld540-cli"
sim="$PWD/build/bin/kvrx540-sim"
root=$PWD
work=$(mktemp -d)
sim_pid=
trap '[ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true; wait 2>/dev/null || true
      rm -rf "$work"' EXIT
cd "$work"
mkdir ports
export KLD540_PORTS_DIR="$work/ports"
export XDG_DATA_HOME="$work/data"  # the backups every transfer keeps stay in the scratch folder

"$cli" new -o fresh.540 >/dev/null
python3 "$root/bench/make_full_memory.py" fresh.540 full.540

# A fresh radio for each run: the send of one run must not be what the next receives.
for run in $(seq "$runs"); do
  rm -f sim.out
  "$sim" --port 5 --level 2 --pace --quiet --load full.540 >sim.out 2>sim.err &
  sim_pid=$!
  for _ in $(seq 100); do grep -q ready sim.out 2>/dev/null && break; sleep 0.05; done
  mkdir "run$run"
  touch "run$run/KLD-540.log"  # debug mode: the transfer log gives the wire time
  echo "run $run:"
  if ! "$bench" --transfer 5 "$work/run$run" >"run$run.txt" 2>"run$run.err"; then
    cat "run$run.txt" "run$run.err" >&2
    exit 1
  fi
  sed 's/^/  /' "run$run.txt"
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
done

python3 - run*.txt <<'PY'
import re
import statistics
import sys

# Each transfer is judged up to "Transfer Complete." (the window then keeps it on show for a
# while, by design); the whole call is shown beside it.
patterns = {
    "work": r"(\w+)\s+to complete\s+([\d.]+) s\s+wire\s+([\d.]+) s .*\(\s*([\d.]+) %\)",
    "wall": r"(\w+)\s+wall\s+([\d.]+) s \(complete on show\s+([\d.]+) s\).*\(\s*([\d.]+) % of",
    "gap": r"(\w+)\s+longest gaps\s+([\d.]+) ms",
}
figures = {}
for name in sys.argv[1:]:
    for line in open(name):
        for kind, pattern in patterns.items():
            m = re.match(pattern, line)
            if not m:
                continue
            f = figures.setdefault(m.group(1), {})
            values = list(map(float, m.groups()[1:]))
            if kind == "work":
                keys = [("work", values[0]), ("wire", values[1]),
                        ("ratio", values[0] / values[1]), ("cpu", values[2])]
            elif kind == "wall":
                keys = [("wall", values[0]), ("shown", values[1]), ("wallcpu", values[2])]
            else:
                keys = [("gap", values[0])]
            for key, value in keys:
                f.setdefault(key, []).append(value)


def mark(good):
    return "ok" if good else "MISSED"


print(f"medians of {len(sys.argv) - 1} runs:")
for label, f in figures.items():
    m = {k: statistics.median(v) for k, v in f.items()}
    print(f"  {label:8s} to complete {m['work']:6.3f} s  wire {m['wire']:6.3f} s  "
          f"ratio {m['ratio']:5.3f} ({mark(m['ratio'] <= 1.05)})  "
          f"cpu {m['cpu']:4.1f} % ({mark(m['cpu'] <= 5)})  "
          f"longest gap {m['gap']:5.1f} ms ({mark(m['gap'] <= 50)})")
    print(f"  {label:8s} whole call  {m['wall']:6.3f} s  (of which complete on show "
          f"{m['shown']:5.3f} s)  cpu {m['wallcpu']:4.1f} % of it")
PY
