#!/usr/bin/env bash
# A real IPP printer for the tests: ippeveprinter (Debian's cups-ipp-utils) on
# this machine's loopback, answering with the media an attributes file gives.
#   scripts/ipp-printer.sh start <port> <attributes-file>   prints "pid=... port=... uri=..."
#   scripts/ipp-printer.sh stop <port>
# ippeveprinter does not start without a D-Bus system bus and avahi-daemon,
# even with advertising off (-r off): they are started when they are not
# running, and stopped, by the process ids this script recorded, when the
# last printer it started stops. Nothing is ever stopped by its name.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
STATE="$ROOT/build/ipp-printer"
mkdir -p "$STATE/users"
exec 9>"$STATE/lock"
flock 9

usage() { echo "usage: $0 start <port> <attributes-file> | stop <port>" >&2; exit 2; }
[ $# -ge 2 ] || usage
command="$1"
port="$2"
[[ "$port" =~ ^[0-9]+$ ]] || usage

bus_running() {
  [ -S /run/dbus/system_bus_socket ] &&
    dbus-send --system --dest=org.freedesktop.DBus --print-reply / org.freedesktop.DBus.GetId >/dev/null 2>&1
}

start_daemons() {
  if ! bus_running; then
    mkdir -p /run/dbus
    rm -f /run/dbus/pid
    dbus-daemon --system --fork --print-pid >"$STATE/dbus.pid" 9>&-
    for _ in $(seq 50); do bus_running && break; sleep 0.1; done
  fi
  if ! avahi-daemon --check 2>/dev/null; then
    avahi-daemon -D --no-drop-root --no-chroot 9>&-
    for _ in $(seq 50); do [ -s /run/avahi-daemon/pid ] && break; sleep 0.1; done
    cat /run/avahi-daemon/pid >"$STATE/avahi.pid"
  fi
}

# Only what this script started, and only when no printer of it is left.
stop_daemons() {
  [ -n "$(ls -A "$STATE/users")" ] && return 0
  for daemon in avahi dbus; do
    if [ -s "$STATE/$daemon.pid" ]; then
      kill "$(head -n1 "$STATE/$daemon.pid")" 2>/dev/null || true
      rm -f "$STATE/$daemon.pid"
    fi
  done
}

case "$command" in
  start)
    [ $# -eq 3 ] || usage
    attributes="$(cd "$(dirname "$3")" && pwd)/$(basename "$3")"
    [ -r "$attributes" ] || { echo "no attributes file $attributes" >&2; exit 2; }
    start_daemons
    spool="$STATE/spool-$port"
    mkdir -p "$spool"
    ippeveprinter -r off -p "$port" -a "$attributes" -d "$spool" "Quandrel Test Printer $port" \
      >"$STATE/printer-$port.log" 2>&1 </dev/null 9>&- &
    pid=$!
    echo "$pid" >"$STATE/users/$port"
    uri="ipp://127.0.0.1:$port/ipp/print"
    for _ in $(seq 100); do
      if ! kill -0 "$pid" 2>/dev/null; then
        cat "$STATE/printer-$port.log" >&2
        rm -f "$STATE/users/$port"
        stop_daemons
        echo "ippeveprinter ended at its start" >&2
        exit 1
      fi
      if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        echo "pid=$pid port=$port uri=$uri"
        exit 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    rm -f "$STATE/users/$port"
    stop_daemons
    echo "ippeveprinter did not listen on port $port" >&2
    exit 1
    ;;
  stop)
    if [ -s "$STATE/users/$port" ]; then
      pid="$(cat "$STATE/users/$port")"
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      rm -f "$STATE/users/$port"
      rm -rf "$STATE/spool-$port"
    fi
    stop_daemons
    ;;
  *) usage ;;
esac
