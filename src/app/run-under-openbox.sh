#!/usr/bin/env bash
# run-under-openbox.sh WIDTHxHEIGHT SCALE PROGRAM [ARGS...]
#
# Runs a test program of the desktop program on a display of its own: a
# virtual X server (Xvfb) of that size with a real window manager (openbox),
# so that windows get the frames and title bars people see, at the given
# QT_SCALE_FACTOR. Skips (exit 77) when Xvfb or openbox is not installed.
set -uo pipefail

size=$1 scale=$2
shift 2

for tool in Xvfb openbox; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (tools/install-deps.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/brisol-x.XXXXXX")
xvfb_pid="" openbox_pid="" program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

# The server picks a free display and tells its number.
mkfifo "$work/display"
# Keys held down by a loaded machine must not repeat: the tests press and
# release keys and count what each did.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset -ardelay 30000 \
  3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
if ! read -r -t 20 number <"$work/display"; then
  echo "Xvfb did not start:"
  cat "$work/xvfb.log"
  exit 1
fi
export DISPLAY=":$number"

# The window manager runs its start-up command once it manages the screen.
openbox --sm-disable --startup "touch $work/ready" >"$work/openbox.log" 2>&1 &
openbox_pid=$!
for _ in $(seq 200); do
  [ -e "$work/ready" ] && break
  sleep 0.05
done
if [ ! -e "$work/ready" ]; then
  echo "openbox did not start:"
  cat "$work/openbox.log"
  exit 1
fi

export QT_QPA_PLATFORM=xcb
export QT_SCALE_FACTOR="$scale"
export BRISOL_SCREEN="${size}@${scale}"
# In the background, so that a signal (a time limit) ends the server too.
"$@" &
program_pid=$!
wait "$program_pid"
status=$?
program_pid=""
exit "$status"
