#!/usr/bin/env bash
# scripts/format --check on the source tree, and on a copy with a drift planted:
# the check names the drifted file and fails, scripts/format puts it right, and
# the check passes again.
#   format_test.sh SOURCE_ROOT
set -euo pipefail
root=$1
format=$root/scripts/format
command -v clang-format >/dev/null || { echo "clang-format is not installed: the format is not checked"; exit 77; }
work=$(mktemp -d /tmp/pczn-format-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

echo "== the source tree"
bash "$format" --check "$root" || fail "the source tree differs from .clang-format (run scripts/format)"

echo "== a copy with a drifted file"
mkdir -p "$work/tree/link" "$work/tree/build-x"
cp "$root/.clang-format" "$work/tree/"
cp "$root/link/Frames.cpp" "$root/link/Frames.h" "$work/tree/link/"
bash "$format" --check "$work/tree" >/dev/null || fail "the copy before the drift"
sed -i 's/^void SendFrame() {$/void  SendFrame()   {/' "$work/tree/link/Frames.cpp"
grep -q '^void  SendFrame()   {$' "$work/tree/link/Frames.cpp" || fail "the drift was not planted"
# A build folder's files are not ours: never checked.
printf 'int  x ;\n' >"$work/tree/build-x/Generated.cpp"
status=0
bash "$format" --check "$work/tree" >"$work/check.out" || status=$?
[ $status = 1 ] || fail "the check of a drifted file exited $status, not 1"
grep -q "link/Frames.cpp differs" "$work/check.out" || { fail "the check does not name the drifted file"; cat "$work/check.out"; }
grep -q "Frames.h\|Generated.cpp" "$work/check.out" && fail "the check names a file that did not drift"
bash "$format" "$work/tree"
cmp -s "$root/link/Frames.cpp" "$work/tree/link/Frames.cpp" || fail "scripts/format did not put the file right"
bash "$format" --check "$work/tree" >/dev/null || fail "the check after scripts/format"
grep -q '^int  x ;$' "$work/tree/build-x/Generated.cpp" || fail "scripts/format changed a build folder's file"

[ $failures = 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all format checks passed"
