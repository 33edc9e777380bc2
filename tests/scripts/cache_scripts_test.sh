#!/usr/bin/env bash
# The shared parts of the cache builds on a machine as new as it gets: apt has
# never fetched a source index (apt-cache showsrc fails until apt-get update
# ran with source entries), source entries written once but never fetched, two
# builds of one library at once, and a stage that fails says where.
# apt-get and apt-cache are stand-ins on PATH that keep their state in the
# test's folder; the sources folder is the test's own.
#   cache_scripts_test.sh SOURCE_DIR
set -euo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "cache scripts test: $*" >&2; exit 1; }

mkdir -p "$work/bin" "$work/apt/sources.list.d"
cat >"$work/apt/sources.list.d/debian.sources" <<'SOURCES'
Types: deb
URIs: http://mirror.invalid/debian
Suites: bookworm
Components: main
SOURCES
# apt-cache showsrc knows a package once an update saw source entries.
cat >"$work/bin/apt-cache" <<'TOOL'
#!/bin/sh
[ -f "$STATE/indexed" ] || { echo "E: You must put some 'deb-src' URIs in your sources.list" >&2; exit 100; }
echo "Package: $2"; echo "Version: 1.0-1"
TOOL
cat >"$work/bin/apt-get" <<'TOOL'
#!/bin/sh
echo "apt-get $*" >>"$STATE/calls"
[ "$1" = update ] || exit 0
grep -qs '^Types: deb-src' "$APT_DIR"/sources.list.d/*.sources && touch "$STATE/indexed"
exit 0
TOOL
chmod +x "$work/bin/apt-cache" "$work/bin/apt-get"
export PATH="$work/bin:$PATH" STATE=$work APT_DIR=$work/apt PCZN_APT_SOURCES=$work/apt

# shellcheck source=../../scripts/lib/debian-source.sh
. "$src/scripts/lib/debian-source.sh"

# 1. A machine that never saw a source entry: entries are added, apt-get update runs.
add_source_entries sqlite3 "$work/log" || fail "adding source entries failed: $(cat "$work/log")"
grep -q '^Types: deb-src' "$work/apt/sources.list.d/pczn-deb-src.sources" || fail "no deb-src entry written"
grep -q 'mirror.invalid' "$work/apt/sources.list.d/pczn-deb-src.sources" || fail "the entry is not the machine's mirror"
source_indexes_have sqlite3 || fail "apt's source indexes still lack the package"

# 2. Entries written by an earlier run that never fetched them: the update still runs.
rm -f "$work/indexed" "$work/calls"
add_source_entries sqlite3 "$work/log" || fail "entries present but not fetched: $(cat "$work/log")"
grep -q 'apt-get update' "$work/calls" || fail "apt-get update did not run for entries never fetched"
# 3. Indexes present: nothing is fetched again.
rm -f "$work/calls"
add_source_entries sqlite3 "$work/log"
[ ! -f "$work/calls" ] || fail "apt-get ran although the indexes know the package: $(cat "$work/calls")"

# 4. Two builds of one library: the second waits until the first ends.
build() {
  ( take_cache_lock "$work/cache" demo-lib
    echo "start $1" >>"$work/order"; sleep 1; echo "end $1" >>"$work/order" ) 2>>"$work/lock.err"
}
build first &
first=$!
for _ in $(seq 100); do [ -s "$work/order" ] && break; sleep 0.05; done
build second
wait "$first"
[ "$(cat "$work/order")" = "start first
end first
start second
end second" ] || fail "two builds overlapped: $(cat "$work/order")"
grep -q "another build of it is running; waiting" "$work/lock.err" || fail "the waiting build said nothing"

# 5. A stage that fails says which command and where.
out=$(bash -c ". '$src/scripts/lib/stage.sh'; set -e; report_failures; true; false" 2>&1 || true)
[[ $out == *"failed (exit 1) at line"*": false"* ]] || fail "a failing command was not named: '$out'"
out=$(bash -c ". '$src/scripts/lib/stage.sh'; run_logged '$work/step.log' sh -c 'echo step one; echo broken >&2; exit 4'" 2>&1 || true)
[[ $out == *"failed (exit 4)"*"broken"* ]] || fail "run_logged did not show the failing command's last lines: '$out'"
echo "cache scripts test: passed"
