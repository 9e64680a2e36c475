#!/usr/bin/env bash
# The desktop window's start-up, memory and redraw figures, over several runs.
#
#   bench/window_timing.sh [runs]      (builds first if needed; offscreen unless DISPLAY is set)
#
# Goals: the window shown within 0.5 s of launch; peak resident memory under 80 MB; all 233
# summary lines refreshed in under 5 ms; the scroll bar's step to a channel under 1 ms.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
[ -x build/bin/kld540-window-bench ] || {
  cmake -S . -B build -G Ninja >/dev/null && cmake --build build --target kld540-window-bench >/dev/null; }
bench="$PWD/build/bin/kld540-window-bench"
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen

echo "launch to main window shown (ms), peak resident memory (MB):"
for _ in $(seq "$runs"); do
  start=$(date +%s%3N)
  out=$("$bench" --startup)
  shown=$(awk '/^shown/ {print $2}' <<<"$out")
  rss=$(awk '/^peak_rss_kb/ {print $2}' <<<"$out")
  echo "  $((shown - start)) ms   $((rss / 1024)) MB"
done
"$bench" --refresh 50
