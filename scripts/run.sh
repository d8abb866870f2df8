#!/usr/bin/env bash
# Sets up the machine, builds the win32 deliverables and the bundled sample program, and runs
# ORVEL_D3D9.exe with the sample's prog.dll beside it under Wine. Uses DISPLAY when set, else
# starts an Xvfb of its own. Extra arguments go to the runtime's command line.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
setup_log=$(mktemp)
"$root/scripts/setup.sh" 2>&1 | tee "$setup_log"
[ "${PIPESTATUS[0]}" = 0 ] || { echo "run: set-up failed" >&2; exit 1; }
ORVEL_DEPS=$(sed -n 's/^ORVEL_DEPS=//p' "$setup_log" | tail -n1)
rm -f "$setup_log"
export ORVEL_DEPS

cmake --preset win32 >/dev/null && cmake --build build/win32 --target ORVEL_D3D9 pellum prog || exit 1

game="$root/build/win32/run"
mkdir -p "$game"
cp build/win32/core/ORVEL_D3D9.exe build/win32/modules/pellum/pellum.dll build/win32/samples/hello/prog.dll "$game/"

if [ -z "${DISPLAY:-}" ]; then
  display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  export DISPLAY=":$display"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
fi

echo "run: $game/ORVEL_D3D9.exe $* (prog.dll: the 'hello' sample)"
cd "$game" && "$root/scripts/wine-run.sh" --prefix "$root/build/win32/wineprefix" ./ORVEL_D3D9.exe "$@"
status=$?
WINEPREFIX="$root/build/win32/wineprefix" wineserver -w
exit $status
