# Sourced by the GUI test scripts: starts Xvfb (unix socket only) on the first free
# display among the given numbers and waits until it answers.
#   start_xvfb LOGFILE N...   sets `display` (":N") and `xvfb_pid`; returns 1 when none came up
start_xvfb() {
  local log="$1"
  shift
  display=""
  xvfb_pid=""
  local n
  for n in "$@"; do
    [ -e "/tmp/.X$n-lock" ] && continue
    [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 300); do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      if [ -S "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        display=":$n"
        return 0
      fi
      sleep 0.1
    done
    # A server that does not come up: move on to the next number.
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  done
  return 1
}
