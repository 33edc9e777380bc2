#!/usr/bin/env bash
# zentrixnet-poll --trace against zentrixnet-sim --log: a whole exchange's
# trace holds the same frames as the simulator's own log of the line, in the
# same order, in each direction, and the link's state changes around them.
#   poll_trace.sh POLL SIM
# Each side sees its own order of the two directions (a frame can cross one
# going the other way), so each direction is compared on its own. The poller
# may end with frames the simulator has not yet read, and the simulator may
# have answered after the poller closed: only such a tail may differ.
set -euo pipefail
poll=$1 sim=$2
# A cross build's programs run through PCZN_EMULATOR (empty natively).
# shellcheck disable=SC2206  # the emulator's words split on purpose
emulator=(${PCZN_EMULATOR:-})
work=$(mktemp -d /tmp/pczn-trace-XXXXXX)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config
. "$(dirname "$0")/poll_steps.sh"

"${emulator[@]}" "$sim" --seed 5 --start "2023-06-21 13:00" --speed 0.001 --fast --com 5 --log "$work/sim.log" \
  >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
[ -n "$(first_line "$sim_pid" "$work/sim.out")" ] || { cat "$work/sim.err"; fail "the simulator did not start"; exit 1; }

status=0
timeout 300 "${emulator[@]}" "$poll" --port COM5 --tick 100 --trace "$work/frames.trace" >"$work/poll.out" 2>"$work/poll.err" || status=$?
expect_status 0 "a whole exchange with --trace"
# The simulator's log is complete once it has ended (it flushes every line).
kill "$sim_pid" && wait "$sim_pid" 2>/dev/null || true
sim_pid=""

# frames FILE FIELD: the hex bytes of the lines whose second field is FIELD.
frames() {
  awk -v dir="$2" '$2 == dir { sub(/^[^ ]+ [^ ]+ /, ""); sub(/  .*$/, ""); print }' "$1"
}
frames "$work/frames.trace" TX >"$work/trace.tx"
frames "$work/frames.trace" RX >"$work/trace.rx"
frames "$work/sim.log" "PC>SIM" >"$work/sim.rx"
frames "$work/sim.log" "SIM>PC" >"$work/sim.tx"

# same_start LONGER SHORTER WHAT: SHORTER is LONGER's beginning, with at most
# two lines of LONGER left over.
same_start() {
  local long=$1 short=$2 what=$3 n extra
  n=$(wc -l <"$short")
  extra=$(($(wc -l <"$long") - n))
  if ! head -n "$n" "$long" | cmp -s - "$short" || [ "$extra" -lt 0 ] || [ "$extra" -gt 2 ]; then
    fail "$what differ"
    diff "$long" "$short" | head -20
  fi
}
[ "$(wc -l <"$work/trace.rx")" -ge 15 ] || fail "too few frames received in the trace: $(wc -l <"$work/trace.rx")"
same_start "$work/trace.tx" "$work/sim.rx" "the frames the poller sent and the simulator received"
same_start "$work/sim.tx" "$work/trace.rx" "the frames the simulator sent and the poller received"
[ "$(awk '$4 == "0B"' "$work/trace.rx" | wc -l)" = 1 ] || fail "the trace holds not one end of exchange (type 11)"

# Every line is "seconds KIND text" and the time stamps never go back.
awk '!/^[0-9]+\.[0-9][0-9][0-9] (TX|RX|LINK) ./ { print "malformed: " $0; bad = 1 }
     $1 + 0 < last { print "time goes back: " $0; bad = 1 } { last = $1 + 0 } END { exit bad }' \
  "$work/frames.trace" || fail "the trace's lines"
[ "$(head -1 "$work/frames.trace" | cut -d' ' -f2-4)" = "LINK port opened:" ] || fail "the trace does not open with the port"
expect_line "LINK exchange completed" frames.trace "the completed exchange"
[ "$(tail -1 "$work/frames.trace" | cut -d' ' -f2-4)" = "LINK port closed:" ] || fail "the trace does not end with the port closed"

echo "== a trace file that cannot be written"
status=0
timeout 60 "${emulator[@]}" "$poll" --port COM5 --trace "$work/no-such-folder/frames.trace" >"$work/poll.out" 2>"$work/poll.err" || status=$?
expect_status 1 "a trace into a missing folder"
expect_line "frames.trace cannot be written" poll.err "the trace's error"

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all trace checks passed"
