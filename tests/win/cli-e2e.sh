#!/usr/bin/env bash
# The Windows isp89-cli end to end under Wine, against the Linux isp89-sim on a pseudo-terminal
# that the Wine prefix's COM1 leads to; then the same session with the Linux isp89-cli against
# a second simulated chip, and both chips must end up holding the same bytes.
#   cli-e2e.sh WINE_SH PREFIX WINDOWS_CLI LINUX_CLI LINUX_SIM WORK_FOLDER
set -uo pipefail

wine_sh=$1
prefix=$(realpath -m "$2")
windows_cli=$3
linux_cli=$4
linux_sim=$5
work=$(realpath -m "$6")
ports=$(dirname "$prefix")/wine-ports

failures=0
sim_pid=

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill -TERM "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=
  fi
}
trap stop_sim EXIT

# start_sim NAME ARG...: serves a simulated chip; its terminal's path is in $sim_pty.
start_sim() {
  local name=$1
  shift
  stop_sim
  "$linux_sim" "$@" >"$work/$name.sim.out" 2>"$work/$name.sim.err" &
  sim_pid=$!
  sim_pty=
  for _ in $(seq 100); do
    sim_pty=$(head -n 1 "$work/$name.sim.out" 2>/dev/null)
    [ -n "$sim_pty" ] && break
    sleep 0.05
  done
  if [ -z "$sim_pty" ]; then
    echo "isp89-sim did not start: $(cat "$work/$name.sim.err")" >&2
    exit 1
  fi
}

# on_wine ARG...: the Windows program on COM1, which is the running simulator's terminal.
on_wine() {
  ln -sfn "$sim_pty" "$ports/com1"
  env -u ISP89_COM1 -u ISP89_COM8 "$wine_sh" "$prefix" run "$windows_cli" "$@"
}

on_linux() {
  "$linux_cli" -p "$sim_pty" "$@"
}

windows_path() {
  WINEPREFIX=$prefix WINEDEBUG=-all winepath -w "$1" 2>/dev/null
}

# expect STATUS DESCRIPTION COMMAND...: runs it, keeps its output in $out and $err.
expect() {
  local wanted=$1 what=$2
  shift 2
  "$@" >"$work/out" 2>"$work/err"
  local status=$?
  out=$(tr -d '\r' <"$work/out")
  err=$(tr -d '\r' <"$work/err")
  if [ "$status" != "$wanted" ]; then
    fail "$what: exit status $status, expected $wanted; stdout: $out; stderr: $err"
    return 1
  fi
  echo "ok: $what"
}

contains() {
  case $1 in *"$2"*) return 0 ;; esac
  fail "$3: '$2' not in: $1"
}

# An 8051 program as a toolchain writes it, with Windows line ends, gaps between its records,
# and an extended address record.
hex_record() {
  local address=$1 type=$2 data=$3
  local count=$((${#data} / 2))
  local sum=$((count + (address >> 8) + (address & 255) + type))
  for ((i = 0; i < ${#data}; i += 2)); do sum=$((sum + 16#${data:i:2})); done
  printf ':%02X%04X%02X%s%02X\r\n' "$count" "$address" "$type" "$data" $(((256 - sum % 256) % 256))
}

make_image() {
  local line=
  hex_record 0 4 0000
  hex_record 0 0 020030
  for ((a = 0x30; a < 0x1030; a += 16)); do
    line=
    for ((b = 0; b < 16; b++)); do line+=$(printf '%02X' $(((a + b) * 7 % 251))); done
    hex_record "$a" 0 "$line"
  done
  hex_record $((0x1FF0)) 0 000102030405060708090A0B0C0D0E0F
  hex_record 0 1 ""
}

rm -rf "$work"
mkdir -p "$work/wine" "$work/linux"
make_image >"$work/image.hex"
image_win=$(windows_path "$work/image.hex")
readback_win=$(windows_path "$work/wine")'\readback.bin'
readhex_win=$(windows_path "$work/wine")'\readback.hex'
case $image_win in [A-Z]:\\*) ;; *) fail "winepath gave no drive path: $image_win" ;; esac

# One session, run on either side: RUNNER is on_wine or on_linux.
session() {
  local runner=$1 side=$2 image=$3 readback=$4 readhex=$5
  start_sim "$side" --chip AT89S52 --keep "$work/$side/flash.bin"
  expect 0 "$side: signature" "$runner" signature && contains "$out" "1E 52 06" "$side signature"
  expect 0 "$side: write with verify of a HEX file" "$runner" -q -d AT89S52 write "$image"
  expect 0 "$side: read to a raw file" "$runner" -q read "$readback"
  expect 0 "$side: read to a HEX file" "$runner" -q read "$readhex"
  expect 0 "$side: lock bits written" "$runner" lock --write 3
  expect 0 "$side: lock bits read" "$runner" lock && contains "$out" "LB1=1 LB2=1 LB3=0" "$side lock"
  stop_sim
}

started=$SECONDS
session on_wine wine "$image_win" "$readback_win" "$readhex_win"
echo "wine session: $((SECONDS - started)) s"
started=$SECONDS
session on_linux linux "$work/image.hex" "$work/linux/readback.bin" "$work/linux/readback.hex"
echo "linux session: $((SECONDS - started)) s"

for file in flash.bin readback.bin readback.hex; do
  if ! cmp -s "$work/wine/$file" "$work/linux/$file"; then
    fail "$file differs between the Wine and the Linux session"
  fi
done
# The chip holds the program: FF in the gaps, the records' bytes where they were.
if [ "$(od -An -tx1 -j0 -N4 "$work/wine/flash.bin" | tr -d ' \n')" != "020030ff" ]; then
  fail "flash does not start with the program: $(od -An -tx1 -N4 "$work/wine/flash.bin")"
fi
if [ "$(od -An -tx1 -j8176 -N16 "$work/wine/flash.bin" | tr -d ' \n')" != \
  "000102030405060708090a0b0c0d0e0f" ]; then
  fail "flash does not end with the last record"
fi

# A port that does not exist: the first of COM8 down to COM3 that the prefix has no device for.
missing=
for n in 8 7 6 5 4 3; do
  if [ ! -e "$prefix/dosdevices/com$n" ] && [ ! -L "$prefix/dosdevices/com$n" ]; then
    missing=$n
    break
  fi
done
if [ -z "$missing" ]; then
  fail "every port from COM3 to COM8 exists in $prefix/dosdevices: none is free for the test"
else
  sim_pty=/dev/null
  if expect 1 "wine: COM$missing does not exist" on_wine -p "COM$missing" signature; then
    # In English, naming the port as given; the window's Czech line is the window's.
    contains "$err" "isp89-cli: cannot open COM$missing (\\\\.\\COM$missing): " \
      "missing port message"
    case $err in *"Sériový"*) fail "the command line spoke Czech: $err" ;; esac
  fi
fi

# The port list from SetupAPI: Wine's prefix may list its COM ports or none; either way one
# line a port, by its COM name, or the line that says there are none.
if expect 0 "wine: ports" on_wine ports; then
  echo "ports under Wine: $out"
  echo "$out" | while IFS= read -r line; do
    case $line in
      "no serial ports found" | COM*) ;;
      *) echo "FAIL: a port line that is no COM port: $line" >&2; exit 1 ;;
    esac
  done || fail "ports listed something else than COM ports"
fi

# A silent adapter: it stops answering in the middle of the read.
start_sim silent --chip AT89S52 --silent-after 3000
started=$SECONDS
expect 1 "wine: adapter goes silent during a read" on_wine -q read "$readback_win.silent"
[ -e "$work/wine/readback.bin.silent" ] && fail "a failed read left an output file"
[ -n "$err" ] || fail "a silent adapter gave no message"
echo "silent adapter: ended after $((SECONDS - started)) s: $err"
stop_sim

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
