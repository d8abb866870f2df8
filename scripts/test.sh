#!/usr/bin/env bash
# Sets up the machine (scripts/setup.sh), builds everything and runs every test:
#   native-asan  clang, AddressSanitizer + UndefinedBehaviorSanitizer, short libFuzzer runs
#   native-tsan  ThreadSanitizer
#   win32        the Windows build; its tests run under Wine with one Xvfb for the whole run
# Exits non-zero when any build or test fails; every suite runs either way.
set -uo pipefail

ORVEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ORVEL_ROOT"
. scripts/common.sh
started=$(date +%s)
stage() { printf '\n=== %s (%ds)\n' "$1" $(($(date +%s) - started)); }

stage "set-up"
orvel_setup || exit 1

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
cleanup() {
  WINEPREFIX="$ORVEL_ROOT/build/win32/wineprefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "${ORVEL_XVFB:-}" ] && kill "$ORVEL_XVFB" 2>/dev/null
}
trap cleanup EXIT
orvel_start_xvfb || failed+=("Xvfb")

# Wine programs run one at a time: the frame checks read the shared screen.
suite win32 -j 1

stage "done"
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "all builds and tests passed"
