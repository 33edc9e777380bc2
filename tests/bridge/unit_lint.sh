#!/usr/bin/env bash
# The bridge's systemd units as installed: systemd-analyze verify finds nothing
# to complain of, and the exposure that systemd-analyze security reports stays
# at 2.0 or below (it was 3.5 before the system call filter, the device list
# and the hidden process tree).
#   unit_lint.sh BUILD_DIR
set -euo pipefail
build=$1
command -v systemd-analyze >/dev/null || { echo "systemd-analyze is not installed"; exit 77; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$build" --component bridge --prefix "$root" >/dev/null
status=0
for unit in "$root"/lib/systemd/system/pczentrixnet-bridge.service "$root"/lib/systemd/system/pczentrixnet-bridge@.service; do
  name=$(basename "$unit")
  # The manual page is installed by the package, not by this component.
  if ! complaints=$(systemd-analyze verify --man=no "$unit" 2>&1) || [ -n "$complaints" ]; then
    echo "FAIL: systemd-analyze verify $name:"; echo "$complaints"; status=1
  fi
  if ! exposure=$(systemd-analyze security --offline=yes --threshold=20 "$unit" 2>&1); then
    echo "FAIL: $name is more exposed than 2.0:"; echo "$exposure"; status=1
  else
    echo "${exposure##*$'\n'}"
  fi
done
exit $status
