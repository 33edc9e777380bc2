#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the desktop entry
# starts the program where its pictures are, and that the bridge's unit starts
# the installed bridge.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install test: $*" >&2; exit 1; }
for f in bin/PCZentrixNet bin/zentrixnet-sim share/applications/pczentrixnet.desktop; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done
entry="$prefix/share/applications/pczentrixnet.desktop"
path=$(sed -n 's/^Path=//p' "$entry")
exec_name=$(sed -n 's/^Exec=//p' "$entry")
[ "$path" = "$prefix/share/pczentrixnet" ] || fail "Path= is '$path'"
[ "$exec_name" = "$prefix/bin/PCZentrixNet" ] && [ -x "$exec_name" ] ||
  fail "Exec= is '$exec_name', not the installed program's full path"
for p in b1 b2 b3 b4 b5 b6; do
  [ -s "$path/$p.bmp" ] || fail "picture $p.bmp not beside the entry's working folder"
done
# The installed simulator runs from there too.
"$prefix/bin/zentrixnet-sim" --write-sol "$prefix/check.sol" >/dev/null
[ "$(stat -c %s "$prefix/check.sol")" = 3220 ] || fail "simulator did not write a plant file"
# The bridge with its systemd unit, which names the installed program, and its example configuration.
for f in bin/zentrixnet-bridge lib/systemd/system/pczentrixnet-bridge.service share/doc/pczentrixnet-bridge/bridge.ini.example; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done
exec_start=$(sed -n 's/^ExecStart=//p' "$prefix/lib/systemd/system/pczentrixnet-bridge.service")
[ "$exec_start" = "$prefix/bin/zentrixnet-bridge --config /etc/pczentrixnet/bridge.ini" ] ||
  fail "the unit's ExecStart= is '$exec_start'"
"$prefix/bin/zentrixnet-bridge" --version >/dev/null || fail "the installed bridge does not run"
echo "install test: ok"
