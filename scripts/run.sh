#!/usr/bin/env bash
# Sets up the machine, builds the win32 deliverables and the bundled sample program, and runs
# ORVEL_D3D9.exe with the sample's prog.dll and prog.xml beside it under Wine. Uses DISPLAY when set, else
# starts an Xvfb of its own. Arguments go to the runtime's command line; without any, the sample
# runs unattended for 600 frames ("-unattended frames=600").
set -uo pipefail

ORVEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ORVEL_ROOT"
. scripts/common.sh
orvel_setup || exit 1

cmake --preset win32 >/dev/null && cmake --build build/win32 --target ORVEL_D3D9 pellum prog || exit 1

game="$ORVEL_ROOT/build/win32/run"
mkdir -p "$game"
cp build/win32/core/ORVEL_D3D9.exe build/win32/modules/pellum/pellum.dll build/win32/samples/hello/prog.dll \
  samples/hello/prog.xml samples/hello/sprite.png "$game/"

if [ -z "${DISPLAY:-}" ]; then
  trap '[ -n "${ORVEL_XVFB:-}" ] && kill "$ORVEL_XVFB" 2>/dev/null' EXIT
  orvel_start_xvfb || exit 1
fi

[ $# -gt 0 ] || set -- -unattended frames=600
echo "run: $game/ORVEL_D3D9.exe $* (prog.dll: the 'hello' sample)"
cd "$game" && "$ORVEL_ROOT/scripts/wine-run.sh" --prefix "$ORVEL_ROOT/build/win32/wineprefix" ./ORVEL_D3D9.exe "$@"
status=$?
WINEPREFIX="$ORVEL_ROOT/build/win32/wineprefix" wineserver -w
exit $status
