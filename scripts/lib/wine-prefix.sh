#!/usr/bin/env bash
# Makes a wine prefix for our tests, once (a marker file records it):
#   wine-prefix.sh PREFIX PORTS_DIR
# COM1..COM8 lead to links PORTS_DIR/com1..com8 of our own (pointed at a
# pseudo-terminal by each test, never at a host port), and the fonts a Windows
# PC has are replaced by the metric-compatible Liberation fonts, so the views
# look as on Linux; the interface fonts are wine's own Tahoma.
set -euo pipefail
prefix=$1 ports=$2
export WINEPREFIX=$prefix WINEDEBUG=-all DISPLAY= WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$ports"
[ -f "$prefix/.pczn-prefix-2" ] && exit 0

# Each step's output goes to a log that is shown, with the step, when it fails.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
quietly() {
  local status=0
  "$@" >"$log" 2>&1 || status=$?
  [ "$status" -eq 0 ] && return 0
  echo "wine-prefix.sh: '$*' ended with status $status:" >&2
  cat "$log" >&2
  return "$status"
}
# The first boot of a prefix is the step that fails now and then on a loaded
# machine; a second try starts from an empty prefix.
if ! quietly timeout 180 wineboot -i; then
  timeout 30 wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
  echo "wine-prefix.sh: trying the first boot once more" >&2
  quietly timeout 180 wineboot -i
fi
for n in 1 2 3 4 5 6 7 8; do
  ln -sfn "$ports/unused" "$ports/com$n"
  quietly timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$ports/com$n" /f
done
replace_font() {
  quietly timeout 60 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$1" /d "$2" /f
}
replace_font "Arial" "Liberation Sans"
# Every Windows PC has Tahoma (the dialogs' font) and Microsoft Sans Serif (the
# outline twin of MS Sans Serif, which the program asks for). Debian's wine
# ships Tahoma in fonts-wine but does not load it from there: it goes into the
# prefix's own font folder, and stands in for Microsoft Sans Serif too.
# (Liberation Sans at 8 points drops the capital I under wine.)
cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf "$prefix/drive_c/windows/Fonts/"
replace_font "Microsoft Sans Serif" "Tahoma"
replace_font "Courier New" "Liberation Mono"
replace_font "Times New Roman" "Liberation Serif"
quietly timeout 60 wineserver -w
touch "$prefix/.pczn-prefix-2"
