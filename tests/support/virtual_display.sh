# Sourced by the shell tests: an X server of the test's own for its lifetime.
# Xvfb picks a free display itself and names it through -displayfd, so tests
# running side by side never race for one (as virtual_display.h does for the
# C++ tests).
#
#   start_virtual_display 1280x800   # sets DISPLAY and xvfb_pid, or returns 1
#   stop_virtual_display             # safe to call more than once (EXIT traps)

start_virtual_display() {
  local size="$1" named tries
  named="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$named" >/dev/null 2>&1 &
  xvfb_pid=$!
  # Xvfb writes the number once it accepts clients; give up after 10 s.
  for tries in $(seq 100); do
    [ -s "$named" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  DISPLAY=":$(tr -d '\n' <"$named")"
  rm -f "$named"
  if [ "$DISPLAY" = ":" ]; then
    stop_virtual_display
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY
}

stop_virtual_display() {
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}
