#!/usr/bin/env bash
# zentrixnet-poll against zentrixnet-sim behind Debian's ser2net, a serial
# device server on ports of 127.0.0.1 with a configuration of the test's own:
#   poll_through_ser2net.sh POLL SIM SLOW_RESOLVER_SHIM
# Raw TCP and RFC 2217 each fetch a plant whose .sol equals the simulator's
# own --write-sol byte for byte; the one-second tick goes on while the
# server's name is being resolved (a preloaded resolver holds it until the
# test lets it answer); COM 5 of the ports folder names the server in
# a text file and --list-ports shows it; a server that is not there ends the
# run with the refused connection as the port's loss, said once, and a name
# the resolver does not know with the resolver's text alone; a port of the
# wrong scheme says which scheme the server may speak.
set -euo pipefail
poll=$1 sim=$2 shim=$3
work=$(mktemp -d /tmp/pczn-ser2net-XXXXXX)
sim_pid="" server_pid=""
# Each ends by the signal, which wait reports as its status: not the test's.
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null || true; fi
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config
# The clock stays in its start minute, so the files agree byte for byte.
plant=(--seed 5 --start "2023-06-21 13:00" --speed 0.001)
. "$(dirname "$0")/poll_steps.sh"

run_poll() {
  local limit=$1
  shift
  status=0
  timeout "$limit" "$poll" "$@" >"$work/poll.out" 2>"$work/poll.err" || status=$?
}

"$sim" "${plant[@]}" --write-sol "$work/reference.sol" >/dev/null
"$sim" "${plant[@]}" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
pty=$(first_line "$sim_pid" "$work/sim.out")
[ -n "$pty" ] || { cat "$work/sim.err"; echo "the simulator did not start"; exit 1; }

raw_port=$(free_port)
telnet_port=$(free_port)
while [ "$telnet_port" = "$raw_port" ]; do telnet_port=$(free_port); done
cat >"$work/ser2net.yaml" <<YAML
%YAML 1.1
---
connection: &raw
    accepter: tcp,127.0.0.1,$raw_port
    connector: serialdev,$pty,2400n81,local
    options:
      kickolduser: true
connection: &telnet
    accepter: telnet(rfc2217),tcp,127.0.0.1,$telnet_port
    connector: serialdev,$pty,2400n81,local
    options:
      kickolduser: true
YAML
/usr/sbin/ser2net -n -u -c "$work/ser2net.yaml" >"$work/ser2net.log" 2>&1 &
server_pid=$!
for _ in $(seq 3000); do
  listens "$raw_port" && listens "$telnet_port" && break
  kill -0 "$server_pid" 2>/dev/null || { cat "$work/ser2net.log"; echo "ser2net ended"; exit 1; }
  sleep 0.1
done
listens "$telnet_port" || { cat "$work/ser2net.log"; echo "ser2net does not listen"; exit 1; }

for scheme in tcp rfc2217; do
  port=$raw_port
  [ "$scheme" = rfc2217 ] && port=$telnet_port
  echo "== a whole exchange through $scheme://127.0.0.1:$port"
  run_poll 240 --port "$scheme://127.0.0.1:$port" --sol "$work/$scheme.sol"
  expect_status 0 "$scheme exchange"
  expect_line "Blocks received: 15" poll.out "$scheme summary"
  expect_line "Frames asked for again: 0 (bad checksums: 0)" poll.out "$scheme summary"
  cmp "$work/$scheme.sol" "$work/reference.sol" || fail "the .sol through $scheme differs from the simulator's own"
done

echo "== the tick goes on while the server's name is being resolved"
gate=$work/resolver
mkdir -p "$gate"
# A sanitizer build wants its runtime first among the libraries; the shim comes first here.
PCZN_SLOW_NAME=plant.slow.test PCZN_SLOW_GATE=$gate LD_PRELOAD=$shim \
  ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
  timeout 240 "$poll" --port "rfc2217://plant.slow.test:$telnet_port" --sol "$work/slow.sol" \
  >"$work/poll.out" 2>"$work/poll.err" &
slow_pid=$!
ticks_while_held() { grep -c "Verbindungsaufbau" "$work/poll.out" || true; }
for _ in $(seq 3000); do
  [ -e "$gate/asked" ] && [ "$(ticks_while_held)" -ge 3 ] && break
  kill -0 "$slow_pid" 2>/dev/null || break
  sleep 0.1
done
[ -e "$gate/asked" ] || fail "the poller never asked for the server's name"
[ "$(ticks_while_held)" -ge 3 ] || fail "the ticks stopped while the name was being resolved"
touch "$gate/answer"
status=0
wait "$slow_pid" || status=$?
expect_status 0 "exchange after a slow name"
cmp "$work/slow.sol" "$work/reference.sol" || fail "the .sol after a slow name differs from the simulator's own"

echo "== COM 5 names the server in a text file of the ports folder"
mkdir -p "$XDG_CONFIG_HOME/PCZentrixNet/ports"
echo "rfc2217://127.0.0.1:$telnet_port" >"$XDG_CONFIG_HOME/PCZentrixNet/ports/COM5"
run_poll 30 --list-ports
expect_status 0 "--list-ports"
expect_line "COM 5 → rfc2217://127.0.0.1:$telnet_port" poll.out "--list-ports"

echo "== a server that is not there: the refused connection is the port's loss"
run_poll 120 --port "tcp://127.0.0.1:$(free_port)" --wait 30
expect_status 1 "refused connection"
expect_line "lost (Error 111, Connection refused)" poll.err "refused connection"
[ "$(grep -c "lost (" "$work/poll.err")" -eq 1 ] || fail "the refused connection was not said once"

echo "== a name the resolver does not know: its text alone"
run_poll 120 --port "tcp://nohost.invalid:4001" --wait 30
expect_status 1 "unknown name"
expect_line "Connection to device tcp://nohost.invalid:4001 lost (" poll.err "unknown name"
grep -q "lost (Error" "$work/poll.err" && fail "unknown name: the resolver's error shows a number"
[ "$(grep -c "lost (" "$work/poll.err")" -eq 1 ] || fail "the unknown name was not said once"

echo "== the wrong scheme: the message names the one the server may speak"
run_poll 120 --port "rfc2217://127.0.0.1:$raw_port" --wait 10
expect_status 1 "rfc2217 at the raw port"
expect_line "it may be a raw TCP server (tcp://127.0.0.1:$raw_port)" poll.err "rfc2217 at the raw port"
run_poll 120 --port "tcp://127.0.0.1:$telnet_port" --wait 10 --cycles 200
expect_status 1 "tcp at the Telnet port"
expect_line "it may be an RFC 2217 server (rfc2217://127.0.0.1:$telnet_port)" poll.err "tcp at the Telnet port"

if [ "$failures" -ne 0 ]; then
  echo "poll_through_ser2net: $failures failed"
  exit 1
fi
echo "poll_through_ser2net: all passed"
