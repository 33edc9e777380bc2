#!/usr/bin/env bash
# zentrixnet-poll of the Windows build under wine against zentrixnet-sim
# behind Debian's ser2net (started by ser2net-line on free ports of 127.0.0.1):
#   poll_wine_through_ser2net.sh POLL SIM SER2NET_LINE
# The stage sets WINEPREFIX. COM 11 names the RFC 2217 port in a text file of
# %APPDATA%\PCZentrixNet\ports, --list-ports shows it, and a whole exchange
# through it fetches a plant whose .sol equals the simulator's own
# --write-sol byte for byte (one exchange only: each takes about 40 s, and
# raw TCP is the serial tests' part under wine); a server that is not there
# ends the run with the refused connection as the port's loss, said once; an
# RFC 2217 port at the raw server says it may be a raw TCP server.
set -euo pipefail
poll=$1 sim=$2 ser2net_line=$3
work=$(mktemp -d /tmp/pczn-wine-ser2net-XXXXXX)
sim_pid="" server_pid="" entry=""
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null || true; fi
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true; fi
  [ -n "$entry" ] && rm -f "$entry"
  rm -rf "$work"
}
trap cleanup EXIT
plant=(--seed 5 --start "2023-06-21 13:00" --speed 0.001)
. "$(dirname "$0")/poll_steps.sh"

run_poll() {
  local limit=$1
  shift
  status=0
  timeout "$limit" wine "$poll" "$@" >"$work/poll.out" 2>"$work/poll.err" || status=$?
}

"$sim" "${plant[@]}" --write-sol "$work/reference.sol" >/dev/null
"$sim" "${plant[@]}" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
pty=$(first_line "$sim_pid" "$work/sim.out")
[ -n "$pty" ] || { cat "$work/sim.err"; echo "the simulator did not start"; exit 1; }
"$ser2net_line" "$work/ser2net" "$pty" >"$work/ser2net.out" &
server_pid=$!
raw=$(first_line "$server_pid" "$work/ser2net.out")
[ -n "$raw" ] || { echo "ser2net did not start"; exit 1; }
telnet=$(sed -n 2p "$work/ser2net.out")

echo "== COM 11 names $telnet in a text file of %APPDATA%"
appdata=$(winepath -u "$(timeout 60 wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
mkdir -p "$appdata/PCZentrixNet/ports"
entry=$appdata/PCZentrixNet/ports/COM11
echo "$telnet" >"$entry"
run_poll 60 --list-ports
expect_status 0 "--list-ports"
expect_line "COM 11 → $telnet" poll.out "--list-ports"
run_poll 240 --port COM11 --sol 'Z:'"${work//\//\\}"'\telnet.sol'
expect_status 0 "exchange through COM 11"
expect_line "Frames asked for again: 0 (bad checksums: 0)" poll.out "summary through COM 11"
cmp "$work/telnet.sol" "$work/reference.sol" || fail "the .sol through COM 11 differs from the simulator's own"

echo "== a server that is not there: the refused connection is the port's loss"
gone=${raw%:*}:$(free_port)
run_poll 120 --port "$gone" --wait 30
expect_status 1 "refused connection"
expect_line "Connection to device $gone lost (Error 10061," poll.err "refused connection"
[ "$(grep -c "lost (" "$work/poll.err")" -eq 1 ] || fail "the refused connection was not said once"

echo "== the wrong scheme: the message names the one the server may speak"
run_poll 120 --port "rfc2217://${raw#tcp://}" --wait 10
expect_status 1 "rfc2217 at the raw port"
expect_line "it may be a raw TCP server ($raw)" poll.err "rfc2217 at the raw port"

if [ "$failures" -ne 0 ]; then
  echo "poll_wine_through_ser2net: $failures failed"
  exit 1
fi
echo "poll_wine_through_ser2net: all passed"
