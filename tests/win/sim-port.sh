#!/usr/bin/env bash
# Puts a Linux isp89-sim behind the Wine prefix's COM2 for the Windows port tests.
#   sim-port.sh start PORTS_FOLDER ISP89_SIM WORK_FOLDER
#   sim-port.sh stop PORTS_FOLDER ISP89_SIM WORK_FOLDER
set -euo pipefail
command=$1
ports=$2
sim=$3
work=$4
pidfile=$work/sim-com2.pid

stop() {
  if [ -f "$pidfile" ]; then
    kill -TERM "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
  fi
}

case $command in
  start)
    mkdir -p "$ports" "$work"
    stop
    # Detached from the test runner's pipes, so that this step can end while it serves.
    "$sim" --chip AT89S52 >"$work/sim-com2.out" 2>"$work/sim-com2.err" </dev/null &
    echo $! >"$pidfile"
    for _ in $(seq 100); do
      pty=$(head -n 1 "$work/sim-com2.out" 2>/dev/null || true)
      if [ -n "$pty" ]; then
        ln -sfn "$pty" "$ports/com2"
        echo "COM2 is $pty"
        exit 0
      fi
      sleep 0.05
    done
    echo "isp89-sim did not start: $(cat "$work/sim-com2.err")" >&2
    stop
    exit 1
    ;;
  stop)
    stop
    ln -sfn /dev/null "$ports/com2"
    ;;
esac
