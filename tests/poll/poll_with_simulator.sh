#!/usr/bin/env bash
# zentrixnet-poll against zentrixnet-sim on a pseudo-terminal:
#   poll_with_simulator.sh native POLL SIM STUCK
#                                            the Linux build, port COM5 through
#                                            the ports folder ($XDG_CONFIG_HOME);
#                                            STUCK: a line that never drains
#   poll_with_simulator.sh wine POLL SIM     the Windows build under wine, port
#                                            COM5 of the prefix: the stage sets
#                                            WINEPREFIX, PCZN_WINE_PORTS (the
#                                            folder of the comN links) and
#                                            PCZN_WINE_SHIM (the modem-line shim)
# A whole exchange completes and its .sol equals the simulator's own
# --write-sol for the same plant and clock; a bad checksum is asked for again
# and counted; a hang-up, a silent controller and a missing port end the run
# with status 1 and a message, and so does a line that never drains; a wrong
# command line with status 2.
# A cross build's programs run through PCZN_EMULATOR (qemu-user and its
# options, set by the build for its tests; empty natively).
# The simulator's clock runs at --speed 0.001, so the controller clock stays
# in its start minute and the files agree byte for byte; at full speed the
# clock words (Block2 13..17) and what follows from the moment (power,
# irradiance, today's yields) would differ by the seconds the run took.
set -euo pipefail
mode=$1 poll=$2 sim=$3 stuck=${4:-}
# shellcheck disable=SC2206  # the emulator's words split on purpose
emulator=(${PCZN_EMULATOR:-})
work=$(mktemp -d /tmp/pczn-poll-XXXXXX)
sim_pid="" stuck_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  [ -n "$stuck_pid" ] && kill "$stuck_pid" 2>/dev/null && wait "$stuck_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config
plant=(--seed 5 --start "2023-06-21 13:00" --speed 0.001)
. "$(dirname "$0")/poll_steps.sh"

# start_sim ARGS...: the simulator on a new pseudo-terminal, reachable as COM5.
start_sim() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  local com=(--com 5)
  [ "$mode" = wine ] && com=()
  rm -f "$work/sim.out" "$work/sim.err"  # so that no line of the last simulator is taken for this one's
  "${emulator[@]}" "$sim" "${plant[@]}" "${com[@]}" "$@" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  local pty
  pty=$(first_line "$sim_pid" "$work/sim.out")
  if [ -z "$pty" ]; then
    local how="still running"
    kill -0 "$sim_pid" 2>/dev/null || { wait "$sim_pid" && how="ended" || how="ended with status $?"; sim_pid=""; }
    echo "the simulator ($how) said on its output:"; cat "$work/sim.out"
    echo "and on its error output:"; cat "$work/sim.err"
    fail "the simulator did not start"
    return 0
  fi
  [ "$mode" = wine ] && ln -sfn "$pty" "$PCZN_WINE_PORTS/com5"
  return 0
}

# A file path as the program sees it.
file_arg() {
  if [ "$mode" = wine ]; then echo "Z:${1//\//\\}"; else echo "$1"; fi
}

# run_poll LIMIT ARGS...: runs the poller; its status in $status, output in poll.out/err.
run_poll() {
  local limit=$1
  shift
  status=0
  if [ "$mode" = wine ]; then
    timeout "$limit" env LD_PRELOAD="$PCZN_WINE_SHIM" wine "$poll" "$@" >"$work/poll.out" 2>"$work/poll.err" || status=$?
  else
    timeout "$limit" "${emulator[@]}" "$poll" "$@" >"$work/poll.out" 2>"$work/poll.err" || status=$?
  fi
  sed -i 's/\r$//' "$work/poll.out" "$work/poll.err"
}

"${emulator[@]}" "$sim" "${plant[@]}" --write-sol "$work/reference.sol" >/dev/null

echo "== a whole exchange at the line's pace and the program's tick, over an existing file"
start_sim
echo "an older file" >"$work/plant.sol"
chmod 640 "$work/plant.sol"
run_poll 120 --port COM5 --sol "$(file_arg "$work/plant.sol")"
expect_status 0 "paced exchange"
expect_line "  24  Datenaustausch zwischen PC und ZentrixNet" poll.out "status lines"
expect_line "Blocks received: 15" poll.out "summary"
expect_line "Frames asked for again: 0 (bad checksums: 0)" poll.out "summary"
expect_line "Controller type: 24, version 3.5.12" poll.out "summary"
expect_line "Controller clock: 21/06/23 13:00" poll.out "summary"
cmp "$work/plant.sol" "$work/reference.sol" || fail "the .sol differs from the simulator's own"
if [ "$mode" = native ]; then
  [ "$(stat -c %a "$work/plant.sol")" = 640 ] || fail "the replaced file lost its permissions"
fi
[ -z "$(find "$work" -maxdepth 1 -name 'plant.sol.*')" ] || fail "a temporary file was left beside the .sol"

echo "== the port list shows the simulator's line as COM 5"
run_poll 30 --list-ports
expect_status 0 "--list-ports"
if [ "$mode" = wine ]; then
  expect_line "COM 5 → \\\\.\\COM5 (vorhanden)" poll.out "--list-ports"
else
  expect_line "COM 5 → $(head -1 "$work/sim.out") (vorhanden)" poll.out "--list-ports"
fi

echo "== a bad checksum is asked for again"
start_sim --fast --bad-checksum 5
run_poll 60 --port COM5 --tick 250 --sol "$(file_arg "$work/fast.sol")"
expect_status 0 "bad checksum"
expect_line "Frames asked for again: 1 (bad checksums: 1)" poll.out "bad checksum"
expect_line "Blocks received: 15" poll.out "bad checksum"
cmp "$work/fast.sol" "$work/reference.sol" || fail "the .sol after a resend differs"

echo "== a hang-up ends the run with the loss"
start_sim --fast --hangup-after 1
run_poll 60 --port COM5 --tick 100
expect_status 1 "hang-up"
expect_line "lost (Error " poll.err "hang-up"
[ "$(grep -c "lost (Error " "$work/poll.err")" -eq 1 ] || fail "hang-up not reported once"

echo "== a controller that never answers"
start_sim --fast --no-answer 1000
run_poll 60 --port COM5 --tick 100 --wait 2
expect_status 1 "no answer"
expect_line "did not answer within 2 s" poll.err "no answer"

if [ -n "$stuck" ]; then
  echo "== a line that never drains ends the run with the full line, never a crash"
  "${emulator[@]}" "$stuck" >"$work/stuck.out" 2>"$work/stuck.err" &
  stuck_pid=$!
  line=$(first_line "$stuck_pid" "$work/stuck.out")
  if [ -z "$line" ]; then
    cat "$work/stuck.err"
    fail "the stuck line did not start"
  else
    run_poll 600 --port "$line" --tick 10 --wait 600 --cycles 1000000
    expect_status 1 "line that never drains"
    expect_line "the line on $line takes nothing more (Output buffer is full" poll.err "line that never drains"
    ! grep -q "terminate called" "$work/poll.err" || fail "the poller crashed on the full line"
  fi
  kill "$stuck_pid" 2>/dev/null
  wait "$stuck_pid" 2>/dev/null || true  # ended by the signal
  stuck_pid=""
fi

echo "== a missing port and a wrong command line"
if [ "$mode" = wine ]; then
  run_poll 60 --port COM6 --wait 2  # mapped in the prefix, pointed at no terminal
  expect_line "Can't open specified device \\\\.\\COM6 (Error " poll.err "missing port"
else
  run_poll 60 --port /dev/pczn-missing --wait 2
  expect_line "Specified device not found (/dev/pczn-missing)." poll.err "missing port"
fi
expect_status 1 "missing port"
if [ "$mode" = wine ]; then
  # A network port name is no device name: it is connected to, not opened as "\\.\tcp://…".
  gone=tcp://127.0.0.1:$(free_port)
  run_poll 60 --port "$gone" --wait 2
  expect_status 1 "network port on Windows"
  expect_line "Connection to device $gone lost (Error 10061, " poll.err "network port on Windows"
fi
run_poll 60 --port COM5 --cycles 0
expect_status 2 "bad --cycles"
run_poll 60 --sol x.sol
expect_status 2 "no --port"
run_poll 60 --help
expect_status 0 "--help"
expect_line "Usage: zentrixnet-poll --port COMn|PATH" poll.out "--help"

if [ "$failures" -ne 0 ]; then
  echo "poll_with_simulator ($mode): $failures failed"
  exit 1
fi
echo "poll_with_simulator ($mode): all passed"
