#!/usr/bin/env bash
# xvfb.sh start|stop DISPLAYNUM PIDFILE — the test fixture's own X server.
set -u
cmd=$1 num=$2 pidfile=$3
case "$cmd" in
start)
  if xdpyinfo -display ":$num" >/dev/null 2>&1; then exit 0; fi
  rm -f "/tmp/.X$num-lock"
  setsid Xvfb ":$num" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 < /dev/null &
  echo $! > "$pidfile"
  for _ in $(seq 1 100); do
    xdpyinfo -display ":$num" >/dev/null 2>&1 && exit 0
    sleep 0.1
  done
  echo "xvfb.sh: Xvfb :$num did not come up" >&2
  exit 1 ;;
stop)
  [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
  rm -f "$pidfile"
  exit 0 ;;
*) echo "usage: xvfb.sh start|stop DISPLAYNUM PIDFILE" >&2; exit 2 ;;
esac
