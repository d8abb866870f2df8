#!/usr/bin/env bash
# Sets up the machine (scripts/setup.sh), builds everything and runs every test:
#   native-asan  clang, AddressSanitizer + UndefinedBehaviorSanitizer, short libFuzzer runs
#   native-tsan  ThreadSanitizer
#   win32        the Windows build; its tests run under Wine with one Xvfb for the whole run
# Exits non-zero when any build or test fails; every suite runs either way.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
started=$(date +%s)
stage() { printf '\n=== %s (%ds)\n' "$1" $(($(date +%s) - started)); }

stage "set-up"
setup_log=$(mktemp)
"$root/scripts/setup.sh" 2>&1 | tee "$setup_log"
[ "${PIPESTATUS[0]}" = 0 ] || { echo "test: set-up failed" >&2; exit 1; }
ORVEL_DEPS=$(sed -n 's/^ORVEL_DEPS=//p' "$setup_log" | tail -n1)
rm -f "$setup_log"
export ORVEL_DEPS

failed=()
suite() {  # suite <preset> [ctest arguments...]
  local preset=$1; shift
  stage "$preset: build"
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build "build/$preset"; then
    failed+=("$preset (build)")
    return
  fi
  stage "$preset: tests"
  (cd "build/$preset" && ctest --output-on-failure "$@") || failed+=("$preset (tests)")
}

jobs=$(nproc)
suite native-asan -j "$jobs"
suite native-tsan -j "$jobs"

# One X server for every Windows program of the run.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display"
cleanup() {
  WINEPREFIX="$root/build/win32/wineprefix" wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

# Wine programs run one at a time: the frame checks read the shared screen.
suite win32 -j 1

stage "done"
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "all builds and tests passed"
