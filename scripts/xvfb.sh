#!/usr/bin/env bash
# Runs a command with DISPLAY set to an Xvfb display of its own, started on a
# free display number and stopped by its process id afterwards.
#   scripts/xvfb.sh COMMAND [ARGS...]
set -uo pipefail

xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT INT TERM

# Another run may take the same number at the same moment; Xvfb then fails to
# start and the next number is tried.
started=""
for n in $(seq $((90 + RANDOM % 50)) 250); do
  [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 50); do
    if xdpyinfo -display ":$n" >/dev/null 2>&1; then started=$n; break; fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$started" ] && break
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
done
if [ -z "$started" ]; then
  echo "xvfb.sh: could not start Xvfb" >&2
  exit 1
fi

export DISPLAY=":$started"
"$@"
