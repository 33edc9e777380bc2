#!/usr/bin/env bash
# The shared parts of the cache builds on a machine as new as it gets: apt has
# never fetched a source index (apt-cache showsrc fails until apt-get update
# ran with source entries), source entries written once but never fetched, a
# mirror that lacks the files of the version asked for, two builds of one
# library at once, and a stage that fails says where.
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
# apt-cache showsrc knows a package once an update saw source entries: one
# record per version in STATE/versions-PACKAGE (1.0-1 without it), and a long
# one, as a real record with its file lists is, when STATE/long-PACKAGE exists.
cat >"$work/bin/apt-cache" <<'TOOL'
#!/bin/sh
[ -f "$STATE/indexed" ] || { echo "E: You must put some 'deb-src' URIs in your sources.list" >&2; exit 100; }
for v in $(cat "$STATE/versions-$2" 2>/dev/null || echo 1.0-1); do echo "Package: $2"; echo "Version: $v"; done
[ ! -f "$STATE/long-$2" ] || seq 200000
TOOL
# apt-get source unpacks PACKAGE-UPSTREAM, unless PACKAGE=VERSION is listed in
# STATE/missing (the mirror lacks its files).
cat >"$work/bin/apt-get" <<'TOOL'
#!/bin/sh
echo "apt-get $*" >>"$STATE/calls"
if [ "$1" = source ]; then
  grep -qsx "$3" "$STATE/missing" && { echo "E: Failed to fetch $3  404  Not Found" >&2; exit 100; }
  version=${3#*=}
  mkdir "${3%%=*}-${version%-*}"
  exit 0
fi
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
# ... and a long record, which apt-cache is still writing when its first
# version line has been seen, counts as known too (no update, which may fail).
touch "$work/long-openssl"
source_indexes_have openssl || fail "a long source record was taken for an unknown package"
add_source_entries openssl "$work/log"
[ ! -f "$work/calls" ] || fail "apt-get ran for a package with a long record: $(cat "$work/calls")"

# 4. The version asked for is fetched when the mirror has it, and nothing older.
printf '%s\n' 2.1-1 1.0-1 2.0-1 1.5-1 >"$work/versions-demo"
got=$(fetch_debian_source_or_older demo 2.0-1 "$work/src-demo" "$work/log" 2>"$work/fetch.err") ||
  fail "fetching demo 2.0-1 failed: $(cat "$work/fetch.err")"
[ "$got" = "2.0-1
$work/src-demo-2.0-1/demo-2.0" ] || fail "fetching demo 2.0-1 gave '$got'"
[ ! -s "$work/fetch.err" ] || fail "a fetch of the version asked for said: $(cat "$work/fetch.err")"
# ... When the mirror lacks its files: the newest older version that it has,
# never a newer one, and said so.
printf '%s\n' demo=2.0-1 >"$work/missing"
got=$(fetch_debian_source_or_older demo 2.0-1 "$work/src-other" "$work/log" 2>"$work/fetch.err") ||
  fail "no older version was fetched: $(cat "$work/fetch.err")"
[ "$got" = "1.5-1
$work/src-other-1.5-1/demo-1.5" ] || fail "the fallback fetched '$got', not demo 1.5-1"
grep -q "demo 2.0-1 (the host's) cannot be fetched; building 1.5-1" "$work/fetch.err" ||
  fail "the fallback was not said: $(cat "$work/fetch.err")"
# ... No version at all: a failure that says so.
printf '%s\n' demo=2.0-1 demo=1.5-1 demo=1.0-1 >"$work/missing"
if fetch_debian_source_or_older demo 2.0-1 "$work/src-none" "$work/log" >/dev/null 2>"$work/fetch.err"; then
  fail "a package no version of which can be fetched was reported fetched"
fi
grep -q "no version of demo up to 2.0-1 could be fetched" "$work/fetch.err" ||
  fail "the failure did not say so: $(cat "$work/fetch.err")"

# 5. Two builds of one library: the second waits until the first ends.
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

# 6. A stage that fails says which command and where.
out=$(bash -c ". '$src/scripts/lib/stage.sh'; set -e; report_failures; true; false" 2>&1 || true)
[[ $out == *"failed (exit 1) at line"*": false"* ]] || fail "a failing command was not named: '$out'"
out=$(bash -c ". '$src/scripts/lib/stage.sh'; run_logged '$work/step.log' sh -c 'echo step one; echo broken >&2; exit 4'" 2>&1 || true)
[[ $out == *"failed (exit 4)"*"broken"* ]] || fail "run_logged did not show the failing command's last lines: '$out'"
echo "cache scripts test: passed"
