#!/usr/bin/env bash
# The headless demo as a user meets it when something goes wrong: a program
# that cannot start is named with its exit status and its last words, and a
# demo that is interrupted (SIGTERM, Ctrl+C, its output closed) ends the
# display, the simulator and the program it started.
#   demo_test.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
work=$(mktemp -d)
mark="pczn-demo-test-$$-$RANDOM"
export PCZN_DEMO_MARK=$mark
trap 'kill_marked; rm -rf "$work"' EXIT

fail() { echo "demo test: $*" >&2; exit 1; }

# The processes started under this test's mark (the demo passes its
# environment on to everything it starts).
marked() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}; pid=${pid%/environ}
    [ "$pid" = $$ ] && continue
    { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qx "PCZN_DEMO_MARK=$mark" && echo "$pid"
  done
  return 0
}
kill_marked() { local p; for p in $(marked); do kill -9 "$p" 2>/dev/null || true; done; }

# Waits up to $2 seconds until no marked process is left.
none_left_within() {
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    [ -z "$(marked)" ] && return 0
    sleep 0.1
  done
  return 1
}
describe_marked() { local p; for p in $(marked); do echo "  $p $(tr '\0' ' ' </proc/$p/cmdline 2>/dev/null)"; done; }

# Waits up to 300 s (a loaded machine) until the file holds the text, or the demo ended.
wait_for_line() {
  local file=$1 text=$2 pid=$3 i
  for ((i = 0; i < 3000; i++)); do
    grep -qF "$text" "$file" 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# 1. A program that ends at once: the demo says which process, how it ended and what it said.
fake=$work/fake-bin
mkdir -p "$fake"
for f in "$bin"/zentrixnet-sim "$bin"/*.bmp; do ln -s "$f" "$fake/"; done
printf '#!/bin/sh\necho "qt.qpa.xcb: could not connect to display (as a test)" >&2\nexit 3\n' >"$fake/PCZentrixNet"
chmod +x "$fake/PCZentrixNet"
status=0
timeout 600 "$bin/pczn-demo" "$fake" "$work/out1" >"$work/out1.txt" 2>&1 || status=$?
[ "$status" = 1 ] || fail "a program that cannot start: exit status $status, not 1: $(cat "$work/out1.txt")"
grep -q "the program (.*PCZentrixNet) ended with exit status 3 before showing its window" "$work/out1.txt" ||
  fail "the failure does not name the program and its status: $(cat "$work/out1.txt")"
grep -q "could not connect to display (as a test)" "$work/out1.txt" ||
  fail "the failure does not show the program's last lines: $(cat "$work/out1.txt")"
none_left_within 30 || fail "after a failed start, still running:
$(describe_marked)"

# 2. SIGTERM while the program runs.
"$bin/pczn-demo" "$bin" "$work/out2" >"$work/out2.txt" 2>&1 &
demo=$!
wait_for_line "$work/out2.txt" "== choosing COM 1" "$demo" || fail "the demo did not start: $(cat "$work/out2.txt")"
[ "$(marked | wc -l)" -ge 4 ] || fail "expected the demo, its display, simulator and program: $(describe_marked)"
kill -TERM "$demo"
wait "$demo" || true
none_left_within 30 || fail "after SIGTERM, still running:
$(describe_marked)"

# 3. Its output closed (a pager or a pipe that ended): the next line it writes ends it all.
("$bin/pczn-demo" "$bin" "$work/out3" | head -n 1 >"$work/out3.txt") &
wait_for_line "$work/out3.txt" "== starting" "$!" || true
grep -qF "== starting" "$work/out3.txt" || fail "no first line from the demo: $(cat "$work/out3.txt")"
# The demo notices its closed output when it next writes, once the program is up.
for ((i = 0; i < 3000; i++)); do
  [ -z "$(marked)" ] && break
  sleep 0.1
done
[ -z "$(marked)" ] || fail "with its output closed, still running:
$(describe_marked)"
echo "demo test: passed"
