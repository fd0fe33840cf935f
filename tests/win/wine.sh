#!/usr/bin/env bash
# Runs the Windows build's programs under Wine, in a prefix of the build folder's own.
#   wine.sh PREFIX start          make the prefix on first use, pin its serial ports, start a
#                                 persistent wineserver and boot the prefix once for the run
#   wine.sh PREFIX run EXE ARG..  run one program; its exit status is the program's
#   wine.sh PREFIX stop           stop the prefix's wineserver
#
# Serial ports: Wine gives every /dev/ttyS<n> a COM number unless the prefix's registry names
# the device for that number. The prefix pins COM1 and COM2 to links in PREFIX/../wine-ports,
# which the tests point at the pseudo-terminals of simulated adapters. (A number pinned to a
# missing path still opens under Wine, so the other numbers are left to the machine's ports.)
set -euo pipefail

prefix=$(realpath -m "$1")
command=$2
shift 2

export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No Mono or Gecko installers: the programs are console programs.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
ports=$(dirname "$prefix")/wine-ports
log=$prefix.log

pin_ports() {
  local reg=$prefix/isp89-ports.reg
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
    printf '"COM1"="%s"\r\n"COM2"="%s"\r\n' "$ports/com1" "$ports/com2"
  } >"$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >>"$log" 2>&1 </dev/null
}

stop_server() {
  wineserver -k >>"$log" 2>&1 </dev/null || true
  wineserver -w >>"$log" 2>&1 </dev/null || true
}

case $command in
  start)
    mkdir -p "$ports"
    for n in 1 2; do [ -L "$ports/com$n" ] || ln -s /dev/null "$ports/com$n"; done
    [ -d "$prefix" ] || wineboot -i >>"$log" 2>&1 </dev/null
    pin_ports
    # The mount manager assigns the ports when the prefix boots: boot with them pinned, on a
    # server that stays up for the whole run (the daemons must not hold the runner's pipes).
    stop_server
    wineserver -p >>"$log" 2>&1 </dev/null
    wineboot >>"$log" 2>&1 </dev/null
    for n in 1 2; do
      if [ "$(readlink "$prefix/dosdevices/com$n")" != "$ports/com$n" ]; then
        echo "wine prefix $prefix: COM$n is not mapped to $ports/com$n (see $log)" >&2
        exit 1
      fi
    done
    echo "wine prefix $prefix ready"
    ;;
  run)
    exec wine "$@"
    ;;
  stop)
    [ ! -d "$prefix" ] || stop_server
    ;;
  *)
    echo "usage: wine.sh PREFIX start|run EXE ARG...|stop" >&2
    exit 2
    ;;
esac
