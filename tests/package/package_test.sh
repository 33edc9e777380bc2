#!/usr/bin/env bash
# Packages the build tree it runs in with CPack (the binaries already built,
# nothing compiled again): the program's package pczentrixnet and the bridge's
# pczentrixnet-bridge. Checks each as Debian's tools see it: its control fields
# (the bridge's takes over from pczentrixnet 1.2.0 and needs no GUI library,
# by its Depends and by ldd), lintian finds no error; unpacked into a temporary
# root every command answers --version with the package's version, each has a
# manual page that renders and names every option of its --help; the desktop
# entry, the icons, the metainfo and Debian's documents are where a desktop and
# dpkg look for them. As root, install_check.sh then installs the packages for
# real and purges them again, and upgrade_check.sh upgrades the single package
# of 1.2.0 to them (PCZN_UPGRADE_TEST=1: its first run builds 1.2.0).
#   package_test.sh BUILD_DIR VERSION COMMAND...
set -euo pipefail
build=$1
version=$2
shift 2
commands=("$@")
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "package test: FAIL: $*" >&2; failures=$((failures + 1)); }
step() { echo "== package test: $*"; }

# Which package holds which command.
program_commands=()
bridge_commands=()
for c in "${commands[@]}"; do
  case "$c" in
    zentrixnet-bridge | zentrixnet-poll) bridge_commands+=("$c") ;;
    *) program_commands+=("$c") ;;
  esac
done

started=$SECONDS
step "cpack (the build tree's binaries, stripped, under /usr)"
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "package test: cpack failed" >&2; exit 1; }
arch=$(dpkg --print-architecture)
program_deb="$work/out/pczentrixnet_${version}_$arch.deb"
bridge_deb="$work/out/pczentrixnet-bridge_${version}_$arch.deb"
for deb in "$program_deb" "$bridge_deb"; do
  [ -f "$deb" ] || { cat "$work/cpack.log"; ls "$work/out"; echo "package test: no $deb" >&2; exit 1; }
  echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
done
echo "made in $((SECONDS - started)) s"

# has_relation FIELD_VALUE NAME: the comma-separated field names the package NAME.
has_relation() { [[ ", $1," == *", $2 "* || ", $1," == *", $2,"* ]]; }

step "control fields of pczentrixnet"
[ "$(dpkg-deb -f "$program_deb" Package)" = pczentrixnet ] || fail "Package is '$(dpkg-deb -f "$program_deb" Package)'"
[ "$(dpkg-deb -f "$program_deb" Version)" = "$version" ] || fail "Version is '$(dpkg-deb -f "$program_deb" Version)', not $version"
depends=$(dpkg-deb -f "$program_deb" Depends)
echo "Depends: $depends"
# What dpkg-shlibdeps found in the binaries: the C library and Qt's widgets.
for lib in libc6 libstdc++6 libqt6widgets6; do
  has_relation "$depends" "$lib" || fail "pczentrixnet's Depends lacks $lib"
done
recommends=$(dpkg-deb -f "$program_deb" Recommends)
[[ "$recommends" == *"pczentrixnet-bridge (= $version)"* ]] ||
  fail "pczentrixnet does not recommend pczentrixnet-bridge (= $version): '$recommends'"
[ -z "$(dpkg-deb -c "$program_deb" | grep -E 'usr/bin/zentrixnet-(bridge|poll)|systemd')" ] ||
  fail "pczentrixnet still holds the bridge's files"
dpkg-deb -I "$program_deb" | grep -qE '^ +[0-9]+ bytes, +[0-9]+ lines +\*? *(postinst|prerm|postrm)' &&
  fail "pczentrixnet has maintainer scripts, which handle the bridge's unit"

step "control fields of pczentrixnet-bridge"
[ "$(dpkg-deb -f "$bridge_deb" Package)" = pczentrixnet-bridge ] || fail "Package is '$(dpkg-deb -f "$bridge_deb" Package)'"
[ "$(dpkg-deb -f "$bridge_deb" Version)" = "$version" ] || fail "Version is '$(dpkg-deb -f "$bridge_deb" Version)'"
bash "$here/check_bridge_package.sh" "$bridge_deb" "$work/bridge-fields" || fail "the bridge's package (above)"

step "lintian"
for deb in "$program_deb" "$bridge_deb"; do
  lintian_status=0
  lintian --display-info --fail-on error "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
  cat "$work/lintian.log"
  [ "$lintian_status" -eq 0 ] || fail "lintian reports errors in $(basename "$deb") (exit $lintian_status)"
done

step "unpacked into temporary roots"
dpkg-deb -x "$program_deb" "$work/root-program"
bash "$here/check_tree.sh" "$work/root-program" pczentrixnet "$version" "${program_commands[@]}" ||
  fail "the unpacked program's package (above)"
dpkg-deb -x "$bridge_deb" "$work/root-bridge"
bash "$here/check_tree.sh" "$work/root-bridge" pczentrixnet-bridge "$version" "${bridge_commands[@]}" ||
  fail "the unpacked bridge's package (above)"

if [ "$(id -u)" -ne 0 ]; then
  step "not root: installing with apt-get, starting the program and the upgrade from 1.2.0 are skipped"
else
  step "installed with apt-get, started from its desktop entry, purged"
  bash "$here/install_check.sh" "$program_deb" "$bridge_deb" "$work" || fail "the real installation (above)"
  if [ "${PCZN_UPGRADE_TEST:-0}" = 1 ]; then
    step "upgraded from the single package of 1.2.0"
    bash "$here/upgrade_check.sh" "$program_deb" "$bridge_deb" "$work" || fail "the upgrade from 1.2.0 (above)"
  else
    step "the upgrade from 1.2.0 is skipped (PCZN_UPGRADE_TEST=1 runs it; its first run builds 1.2.0)"
  fi
fi

echo "package test: $((SECONDS - started)) s in all"
if [ $failures -ne 0 ]; then
  echo "package test: $failures failure(s)" >&2
  exit 1
fi
echo "package test: ok"
