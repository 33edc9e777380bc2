#!/usr/bin/env bash
# Installs the two packages for real with apt-get, starts the installed
# program as its desktop entry says on a virtual display until its main window
# shows, runs the installed bridge, and purges the packages again, with every
# package that apt-get brought along: the machine is left with the packages
# and files it had. For root on a machine that may be changed (CI's is thrown
# away); a pczentrixnet that is already installed is left alone and the check
# skipped.
#   install_check.sh PROGRAM_DEB BRIDGE_DEB WORK_DIR
set -euo pipefail
deb=$1
bridge_deb=$2
work=$3
apt_options=(-y -q --no-install-recommends -o DPkg::Lock::Timeout=600)
export DEBIAN_FRONTEND=noninteractive

# One package test at a time installs on this machine.
exec 9>/tmp/pczentrixnet-package-test.lock
flock -w 900 9

# shellcheck source=dpkg_state.sh
. "$(dirname "$0")/dpkg_state.sh"
leave_installed_alone "the real installation"

installed_packages() {
  dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Status}\n' | awk '$2 == "installed" { print $1 }' | sort
}
# What the package's scripts may leave in the system's state (systemd's
# records of the bridge's unit, for one).
system_traces() { find /etc /var/lib -name '*pczentrixnet*' 2>/dev/null | sort; }
installed_packages >"$work/packages-before"
system_traces >"$work/traces-before"

# Purges the package and whatever came with it. Runs on every way out.
purge() {
  apt-get purge "${apt_options[@]}" pczentrixnet pczentrixnet-bridge >"$work/purge.log" 2>&1 || cat "$work/purge.log"
  local extra
  extra=$(comm -13 "$work/packages-before" <(installed_packages) | tr '\n' ' ')
  if [ -n "$extra" ]; then
    echo "  purging what came with the package: $extra"
    # shellcheck disable=SC2086  # one argument a package
    apt-get purge "${apt_options[@]}" $extra >>"$work/purge.log" 2>&1 || cat "$work/purge.log"
  fi
}
trap purge EXIT

# apt-get reads the file as its own unprivileged user.
chmod 755 "$work" "$(dirname "$deb")" "$(dirname "$bridge_deb")"
apt-get install "${apt_options[@]}" "$deb" "$bridge_deb" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; echo "  FAIL: apt-get install" >&2; exit 1; }
dpkg-query -W -f='${Package} ${Status} ${Version}\n' pczentrixnet pczentrixnet-bridge
dpkg-query -L pczentrixnet pczentrixnet-bridge | sort -u >"$work/package-files"

/usr/bin/PCZentrixNet --version
/usr/bin/zentrixnet-bridge --version

# The program as the desktop entry starts it, with a home of its own.
entry=/usr/share/applications/pczentrixnet.desktop
program=$(sed -n 's/^Exec=//p' "$entry")
folder=$(sed -n 's/^Path=//p' "$entry")
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
  timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    cd "$1" || exit 1
    "$2" & program=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "^PCZentrixNet" | head -1)
    [ -n "$window" ] && xdotool getwindowname "$window" && xdotool getwindowgeometry "$window"
    shown=$?
    kill "$program"; wait "$program" 2>/dev/null
    exit $shown' _ "$folder" "$program" ||
  { echo "  FAIL: the installed program showed no main window" >&2; exit 1; }
echo "  ok: the installed program shows its main window"

trap - EXIT
purge
status=0
for package in pczentrixnet pczentrixnet-bridge; do
  if known_to_dpkg "$package"; then
    echo "  FAIL: after the purge dpkg still knows $package" >&2
    status=1
  fi
done
while read -r file; do
  if [ -e "$file" ] && [ ! -d "$file" ]; then
    echo "  FAIL: $file is left after the purge" >&2
    status=1
  fi
done <"$work/package-files"
if ! cmp -s "$work/traces-before" <(system_traces); then
  echo "  FAIL: the purge leaves behind:" >&2
  comm -13 "$work/traces-before" <(system_traces) >&2
  status=1
fi
if ! cmp -s "$work/packages-before" <(installed_packages); then
  echo "  FAIL: the installed packages differ from before:" >&2
  diff "$work/packages-before" <(installed_packages) >&2
  status=1
fi
[ $status -eq 0 ] && echo "  ok: purged, the machine's packages and files as before"
exit $status
