#!/bin/sh
# A short tour of isp89-cli on a simulated chip: isp89-sim serves an AT89S52 on a
# pseudo-terminal, and each step below is one isp89-cli command against it, as it would be
# against a real adapter on /dev/ttyS0 or /dev/ttyUSB0. No hardware is touched.
set -u
CLI="@CMAKE_CURRENT_BINARY_DIR@/isp89-cli"
SIM="@PROJECT_BINARY_DIR@/src/sim/isp89-sim"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/isp89-demo.XXXXXX")
SIM_PID=
finish() {
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap finish EXIT INT TERM
cd "$WORK" || exit 1

step() { printf '\n== %s\n$ %s\n' "$1" "$2"; }
run() {
  "$CLI" "$@"
  status=$?
  echo "(exit status $status)"
  return $status
}

# A blinking-LED program for P1.0 in the layout 8051 assemblers write: a jump at the reset
# vector, 16-byte data records, the end record.
cat > blink.hex <<'HEX'
:03000000020030CB
:100030007581307590FFB29012004080F900000089
:090040007FFA7EFADEFEDFFA22EF
:00000001FF
HEX

"$SIM" --chip AT89S52 --keep chip-flash.hex > sim.out 2> sim.err &
SIM_PID=$!
for _ in 1 2 3 4 5 6 7 8 9 10; do [ -s sim.out ] && break; sleep 0.2; done
PORT=$(head -n 1 sim.out)
if [ -z "$PORT" ]; then
  echo "isp89-demo: isp89-sim did not start:" >&2
  cat sim.err >&2
  exit 1
fi
echo "isp89-sim serves a simulated AT89S52 on $PORT (each step takes about 2 s: the"
echo "programmer pulses reset and waits, as the chip wants; the write takes about 5 s)."
echo "The sample image, blink.hex:"
cat blink.hex

failed=0
step "Which chip is there?" "isp89-cli -p $PORT signature"
run -p "$PORT" signature || failed=1
step "Erase, write and verify the sample image" "isp89-cli -p $PORT write blink.hex"
run -p "$PORT" write blink.hex || failed=1
step "Read the whole code memory back" "isp89-cli -p $PORT -d AT89S52 read readback.hex"
run -p "$PORT" -d AT89S52 read readback.hex || failed=1
echo "readback.hex (erased rows are left out):"
cat readback.hex
step "Compare the chip with the file once more" "isp89-cli -p $PORT -d AT89S52 verify blink.hex"
run -p "$PORT" -d AT89S52 verify blink.hex || failed=1
step "A file that differs is caught (exit status 1 expected)" \
  "isp89-cli -p $PORT -d AT89S52 verify other.hex"
printf ':01003000745B\n:00000001FF\n' > other.hex
if run -p "$PORT" -d AT89S52 -q verify other.hex; then failed=1; fi
step "The lock bits" "isp89-cli -p $PORT lock"
run -p "$PORT" lock || failed=1
step "Program LB1 (no more programming until the next erase)" "isp89-cli -p $PORT lock --write 1"
run -p "$PORT" lock --write 1 || failed=1
step "The same image through a simulated FTDI chip driving the target's pins itself" \
  "isp89-cli -p sim-ftdi:AT89S52 write blink.hex"
run -p sim-ftdi:AT89S52 write blink.hex || failed=1

echo
if [ "$failed" = 0 ]; then
  echo "Demonstration complete: every step did what it should."
else
  echo "Demonstration: a step did not do what it should (see above)." >&2
fi
exit "$failed"
