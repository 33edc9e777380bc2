#!/usr/bin/env bash
# The upgrade from the single package pczentrixnet 1.2.0 (built once per machine
# by scripts/build-old-package) to the two packages of today: the old one
# installed with apt-get, the owner's bridge configuration and the bridge's
# archive written as the owner and the service would; then the bridge's new
# package alone over it (1.2.0 must give way), then both new packages with
# apt-get. Both must be installed at the new version,
# the bridge's program must belong to pczentrixnet-bridge now, and the
# configuration and the archive must be as they were. Everything is purged
# afterwards, with what apt-get brought along. For root, as install_check.sh.
#   upgrade_check.sh PROGRAM_DEB BRIDGE_DEB WORK_DIR
set -euo pipefail
deb=$1
bridge_deb=$2
work=$3/upgrade
here=$(cd "$(dirname "$0")" && pwd)
apt_options=(-y -q --no-install-recommends -o DPkg::Lock::Timeout=600)
export DEBIAN_FRONTEND=noninteractive
mkdir -p "$work"

old_deb=$(bash "$here/../../scripts/build-old-package") ||
  { echo "  FAIL: the package of 1.2.0 could not be built (why: above)" >&2; exit 1; }

exec 9>/tmp/pczentrixnet-package-test.lock
flock -w 900 9

# shellcheck source=dpkg_state.sh
. "$(dirname "$0")/dpkg_state.sh"
leave_installed_alone "the upgrade"
for file in /etc/pczentrixnet /var/lib/pczentrixnet; do
  if [ -e "$file" ]; then
    echo "  $file exists on this machine already: left as it is, the upgrade is not tried"
    exit 0
  fi
done

installed_packages() {
  dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Status}\n' | awk '$2 == "installed" { print $1 }' | sort
}
installed_packages >"$work/packages-before"
config=/etc/pczentrixnet/bridge.ini
archive=/var/lib/pczentrixnet/PCZentrixNet/Anlage-roof.sqlite

purge() {
  apt-get purge "${apt_options[@]}" pczentrixnet pczentrixnet-bridge >"$work/purge.log" 2>&1 || cat "$work/purge.log"
  local extra
  extra=$(comm -13 "$work/packages-before" <(installed_packages) | tr '\n' ' ')
  # shellcheck disable=SC2086  # one argument a package
  [ -z "$extra" ] || apt-get purge "${apt_options[@]}" $extra >>"$work/purge.log" 2>&1 || cat "$work/purge.log"
  # What the owner and the service wrote is theirs: the test removes its own.
  rm -rf /etc/pczentrixnet /var/lib/pczentrixnet
}
trap purge EXIT

chmod 755 "$work" "$(dirname "$old_deb")" "$(dirname "$deb")" "$(dirname "$bridge_deb")"
apt-get install "${apt_options[@]}" "$old_deb" >"$work/install-old.log" 2>&1 ||
  { cat "$work/install-old.log"; echo "  FAIL: apt-get install of 1.2.0" >&2; exit 1; }
[ "$(dpkg-query -W -f='${Version}' pczentrixnet)" = 1.2.0 ] || { echo "  FAIL: 1.2.0 is not installed" >&2; exit 1; }
[ -x /usr/bin/zentrixnet-bridge ] || { echo "  FAIL: 1.2.0 holds no bridge" >&2; exit 1; }

# The owner's configuration, as README's steps write it, and an archive the service kept.
install -d -m 755 /etc/pczentrixnet
printf '%s\n' "# the owner's own" "port = /dev/serial/by-id/usb-Adapter-if00-port0" \
  "mqtt-host = 192.0.2.7" "plant = roof" >"$config"
install -d -m 755 "$(dirname "$archive")"
head -c 8192 /dev/urandom >"$archive"
sha256sum "$config" "$archive" >"$work/sums"

# A headless box takes the bridge's package alone first: it must take the
# bridge's files over from 1.2.0 (Replaces) and let apt retire 1.2.0 (Breaks).
status=0
apt-get install "${apt_options[@]}" "$bridge_deb" >"$work/install-bridge.log" 2>&1 ||
  { cat "$work/install-bridge.log"; echo "  FAIL: apt-get install of the bridge's package alone over 1.2.0" >&2; exit 1; }
if [ "$(dpkg-query -W -f='${db:Status-Status} ${Version}' pczentrixnet 2>/dev/null)" = "installed 1.2.0" ]; then
  echo "  FAIL: pczentrixnet 1.2.0 stays installed beside the bridge's package, which holds its files now" >&2
  status=1
fi
sha256sum --quiet -c "$work/sums" || { echo "  FAIL: the bridge's package alone changed the configuration or the archive" >&2; status=1; }
# Then the program's package beside it, as a desktop takes both.
apt-get install "${apt_options[@]}" "$deb" "$bridge_deb" >"$work/install-new.log" 2>&1 ||
  { cat "$work/install-new.log"; echo "  FAIL: apt-get install of the new packages over 1.2.0" >&2; exit 1; }

new_version=$(dpkg-deb -f "$deb" Version)
for package in pczentrixnet pczentrixnet-bridge; do
  state=$(dpkg-query -W -f='${db:Status-Status} ${Version}' "$package" 2>/dev/null || true)
  if [ "$state" = "installed $new_version" ]; then
    echo "  ok: $package $new_version installed"
  else
    echo "  FAIL: $package is '$state' after the upgrade, not installed $new_version" >&2
    status=1
  fi
done
owner=$(dpkg-query -S /usr/bin/zentrixnet-bridge 2>/dev/null | cut -d: -f1)
[ "$owner" = pczentrixnet-bridge ] ||
  { echo "  FAIL: /usr/bin/zentrixnet-bridge belongs to '$owner'" >&2; status=1; }
[ -x /usr/bin/zentrixnet-bridge ] && /usr/bin/zentrixnet-bridge --version ||
  { echo "  FAIL: the bridge does not run after the upgrade" >&2; status=1; }
if sha256sum --quiet -c "$work/sums"; then
  echo "  ok: $config and the archive are as the owner and the service left them"
else
  echo "  FAIL: the upgrade changed the configuration or the archive" >&2
  status=1
fi
exit $status
