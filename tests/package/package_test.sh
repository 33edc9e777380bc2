#!/usr/bin/env bash
# Packages the build tree it runs in with CPack (the binaries already built,
# nothing compiled again), then checks the package as Debian's tools see it:
# lintian finds no error; unpacked into a temporary root every command answers
# --version with the package's version, each has a manual page that renders and
# names every option of its --help; the desktop entry, the icons, the metainfo
# and Debian's documents are where a desktop and dpkg look for them. As root,
# install_check.sh then installs the package for real and purges it again.
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

started=$SECONDS
step "cpack (the build tree's binaries, stripped, under /usr)"
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "package test: cpack failed" >&2; exit 1; }
deb="$work/out/pczentrixnet_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { cat "$work/cpack.log"; echo "package test: no $deb" >&2; exit 1; }
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, made in $((SECONDS - started)) s"

step "control fields"
[ "$(dpkg-deb -f "$deb" Package)" = pczentrixnet ] || fail "Package is '$(dpkg-deb -f "$deb" Package)'"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is '$(dpkg-deb -f "$deb" Version)', not $version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# What dpkg-shlibdeps found in the binaries: the C library and Qt's widgets,
# and the bridge's MQTT library and libsystemd (its readiness and watchdog).
libraries=(libc6 libstdc++6 libqt6widgets6)
[[ " ${commands[*]} " == *" zentrixnet-bridge "* ]] && libraries+=(libmosquitto1 libsystemd0)
for lib in "${libraries[@]}"; do
  [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] || fail "Depends lacks $lib"
done

step "lintian"
lintian --display-info --fail-on error "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
cat "$work/lintian.log"
[ "${lintian_status:-0}" -eq 0 ] || fail "lintian reports errors (exit ${lintian_status})"

step "unpacked into a temporary root"
root="$work/root"
dpkg-deb -x "$deb" "$root"
bash "$here/check_tree.sh" "$root" "$version" "${commands[@]}" || fail "the unpacked tree (above)"

if [ "$(id -u)" -ne 0 ]; then
  step "not root: installing with apt-get and starting the program is skipped"
else
  step "installed with apt-get, started from its desktop entry, purged"
  bash "$here/install_check.sh" "$deb" "$work" || fail "the real installation (above)"
fi

echo "package test: $((SECONDS - started)) s in all"
if [ $failures -ne 0 ]; then
  echo "package test: $failures failure(s)" >&2
  exit 1
fi
echo "package test: ok"
