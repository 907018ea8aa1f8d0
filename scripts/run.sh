#!/usr/bin/env bash
# Installs what is missing, builds, and starts TZ-C3 connected to the
# controller simulator. Without a display the program runs under Xvfb and
# screenshots of its windows are saved instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTZC3_TESTS=OFF >/dev/null
cmake --build build

sim_pid=""
ctl="$root/build/tzsim.ctl"
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  pkill -f "tail -f $ctl" 2>/dev/null || true
}
trap cleanup EXIT
if [ -x build/sim/tzsim ] && [ -z "${TZC3_COM1:-}" ]; then
  # The simulator answers on a pty; COM1 of the program is pointed at it.
  link="$root/build/tzsim-com1"
  rm -f "$link"
  # Lines appended to build/tzsim.ctl reach the simulator's command input,
  # e.g.  echo "alarm 0E" >> build/tzsim.ctl
  : > "$ctl"
  build/sim/tzsim --link "$link" --move-scale 0.5 < <(tail -f "$ctl") \
    > build/tzsim.log 2>&1 &
  sim_pid=$!
  for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
  export TZC3_COM1="$link"
  echo "Controller simulator on $link, the program's COM1 (log: build/tzsim.log;"
  echo "script it with: echo \"alarm 0E\" >> build/tzsim.ctl)."
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  build/tzc3
else
  out="$root/screenshots"
  mkdir -p "$out"
  echo "No display: starting TZ-C3 under Xvfb and saving screenshots."
  TZC3_SETTINGS="$out/run-settings.ini" TZC3_SCREENSHOT_DIR="$out" \
    xvfb-run -a -s "-screen 0 1280x900x24" build/tzc3
  QT_QPA_PLATFORM=offscreen build/tools/tzc3-screenshots "$out" >/dev/null
  echo "Screenshots saved in $out:"
  ls -1 "$out"/*.png | sed 's/^/  /'
fi
