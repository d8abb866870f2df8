# Shared by scripts/test.sh and scripts/run.sh (sourced, not run).

# Runs scripts/setup.sh and exports ORVEL_DEPS from the last line it prints.
orvel_setup() {
  local log status
  log=$(mktemp)
  "$ORVEL_ROOT/scripts/setup.sh" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  ORVEL_DEPS=$(sed -n 's/^ORVEL_DEPS=//p' "$log" | tail -n1)
  rm -f "$log"
  [ "$status" = 0 ] && [ -n "$ORVEL_DEPS" ] || { echo "set-up failed" >&2; return 1; }
  export ORVEL_DEPS
}

# Starts an Xvfb on the first free display and exports DISPLAY; ORVEL_XVFB is its process id.
orvel_start_xvfb() {
  local display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  ORVEL_XVFB=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && return 0; sleep 0.1; done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}
