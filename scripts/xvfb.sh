#!/usr/bin/env bash
# Runs a command with DISPLAY set to an Xvfb display of its own, started on a
# free display number and stopped by its process id afterwards.
#   scripts/xvfb.sh COMMAND [ARGS...]
set -uo pipefail

display=""
for n in $(seq 90 190); do
  if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
    display=$n
    break
  fi
done
if [ -z "$display" ]; then
  echo "xvfb.sh: no free display number" >&2
  exit 1
fi

Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; }
trap cleanup EXIT INT TERM

# Wait until the server answers (at most about 5 s).
for _ in $(seq 1 50); do
  if xdpyinfo -display ":$display" >/dev/null 2>&1; then break; fi
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "xvfb.sh: Xvfb did not start on :$display" >&2
    exit 1
  fi
  sleep 0.1
done

export DISPLAY=":$display"
"$@"
