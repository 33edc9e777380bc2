# What the install and upgrade checks share: they try nothing on a machine
# that has our packages already (sourced by install_check.sh and upgrade_check.sh).

# Installed in any state but "not-installed" (which a failed install leaves too).
known_to_dpkg() {
  local state
  state=$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null) && [ -n "$state" ] && [ "$state" != not-installed ]
}

# leave_installed_alone WHAT: ends the check with success, saying so, when one
# of our packages is on this machine already; WHAT names what is not tried.
leave_installed_alone() {
  local package
  for package in pczentrixnet pczentrixnet-bridge; do
    if known_to_dpkg "$package"; then
      echo "  $package is installed on this machine already: left as it is, $1 is not tried"
      exit 0
    fi
  done
}
