#!/usr/bin/env bash
# Runs one Windows program under Wine: ctest's cross-compiling emulator for the win32 build.
#   wine-run.sh --prefix <wine prefix> <program.exe> [arguments...]
# The program runs in a private prefix, with the debugger disabled (a crash ends the process with
# a failure instead of waiting in winedbg), under a time-out (ORVEL_WINE_TIMEOUT seconds, 120 by
# default), and with ALSA pointed at a file device so that DirectSound opens and everything played
# lands in $ORVEL_SOUND_CAPTURE (default: sound.wav in the working folder). The X display comes
# from DISPLAY; scripts/test.sh starts one Xvfb for the whole run.
set -u

if [ "${1:-}" != --prefix ] || [ $# -lt 3 ]; then
  echo "usage: wine-run.sh --prefix <wine prefix> <program.exe> [arguments...]" >&2
  exit 2
fi
export WINEPREFIX=$2
shift 2
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: DISPLAY is not set; run the tests through scripts/test.sh, which starts Xvfb" >&2
  exit 2
fi

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
capture=${ORVEL_SOUND_CAPTURE:-$PWD/sound.wav}
mkdir -p "$WINEPREFIX"
alsa_config="$WINEPREFIX/alsa-capture.conf"
cat >"$alsa_config" <<ALSA
</usr/share/alsa/alsa.conf>
pcm.!default { type file slave.pcm "null" file "${ORVEL_SOUND_PIPE:-$capture}" format "wav" }
ALSA
export ALSA_CONFIG_PATH=$alsa_config

limit=${ORVEL_WINE_TIMEOUT:-120}
timeout -k 5 "$limit" wine "$@"
status=$?
case $status in
  124 | 137) echo "wine-run: '$1' did not finish within ${limit}s and was stopped" >&2 ;;
  0) ;;
  *) echo "wine-run: '$1' exited with status $status" >&2 ;;
esac
exit $status
