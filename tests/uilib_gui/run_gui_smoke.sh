#!/usr/bin/env bash
# GUI smoke test: starts Xvfb (unix socket only) and xcompmgr, shows the exit prompt
# with the GTK backend, clicks its okBtn with xdotool and expects the probe to report
# that click. A screenshot of the shown window is left in OUTDIR as an artefact.
#
#   run_gui_smoke.sh PROBE OUTDIR
set -uo pipefail
# GTK, D-Bus and the accessibility bridge keep what they set up until exit; in a
# sanitizer build the leak check is left to the headless tests, where our own code
# runs without them.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

probe="$1"
outdir="$2"
mkdir -p "$outdir"
out="$outdir/gui_probe.out"
shot="$outdir/gui_smoke_screenshot.png"
rm -f "$out" "$shot"

xvfb_pid=""
xcompmgr_pid=""
probe_pid=""
cleanup() {
  for pid in "$probe_pid" "$xcompmgr_pid" "$xvfb_pid"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
    fi
  done
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -f "$out" ]; then
    echo "--- probe output:" >&2
    cat "$out" >&2
  fi
  exit 1
}

for tool in Xvfb xcompmgr xdotool import xdpyinfo; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup installs it)"
done

# A free display among :90…:99.
source "$(dirname "$0")/../support/xvfb.sh"
start_xvfb "$outdir/xvfb.log" 90 91 92 93 94 95 96 97 98 99
[ -n "$display" ] || fail "no Xvfb could be started on :90…:99"
export DISPLAY="$display"

xcompmgr >"$outdir/xcompmgr.log" 2>&1 &
xcompmgr_pid=$!
sleep 0.5

"$probe" 90 >"$out" 2>&1 &
probe_pid=$!

ready=""
for _ in $(seq 1 900); do
  ready="$(grep -m1 '^ready ' "$out" 2>/dev/null || true)"
  [ -n "$ready" ] && break
  kill -0 "$probe_pid" 2>/dev/null || fail "the probe ended before it was ready"
  sleep 0.1
done
[ -n "$ready" ] || fail "the probe never became ready"
read -r _ x y <<<"$ready"

# Let the compositor put the window on screen before the picture and the click.
sleep 0.5
import -window root "$shot" 2>"$outdir/import.log" || echo "warning: no screenshot" >&2

xdotool mousemove "$x" "$y" sleep 0.3 click 1

wait "$probe_pid"
status=$?
probe_pid=""
[ "$status" -eq 0 ] || fail "the probe exited with $status"
grep -qx 'click okBtn' "$out" || fail "no \"click okBtn\" reported"
echo "PASS: click okBtn at $x,$y on $display (screenshot: $shot)"
