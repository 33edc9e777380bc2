#!/usr/bin/env bash
# Checks a package unpacked into ROOT: every command starts and answers
# --version and --help without a display, has a manual page that renders and
# names every option of its --help; Debian's documents are in the package's own
# folder; the program's package has a valid desktop entry, icons and AppStream
# metainfo, the bridge's its systemd unit and example configuration.
#   check_tree.sh ROOT PACKAGE VERSION COMMAND...
set -uo pipefail
root=$1
package=$2
version=$3
shift 3
commands=("$@")

failures=0
fail() { echo "  FAIL: $*" >&2; failures=$((failures + 1)); }
# Each check counts its failures from here and says ok only without one.
failures_before=0
begin() { failures_before=$failures; }
ok() { [ $failures -eq $failures_before ] && echo "  ok: $*"; return 0; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The commands run with a home of their own and no display: --version and
# --help must be answered before the program would open a window.
run() { env -u DISPLAY -u WAYLAND_DISPLAY HOME="$scratch" XDG_CONFIG_HOME="$scratch/.config" \
            QT_QPA_PLATFORM=xcb timeout 20 "$@"; }

check_commands() {
  begin
  local listed
  listed=$(cd "$root/usr/bin" && ls | sort | tr '\n' ' ')
  [ "$listed" = "$(printf '%s\n' "${commands[@]}" | sort | tr '\n' ' ')" ] ||
    fail "usr/bin holds '$listed', not the commands '${commands[*]}'"
  local c out
  for c in "${commands[@]}"; do
    out=$(run "$root/usr/bin/$c" --version) || { fail "$c --version exits $?"; continue; }
    [ "$(printf '%s\n' "$out" | wc -l)" = 1 ] && [[ "$out" == *" $version" ]] ||
      { fail "$c --version prints '$out', not one line ending in $version"; continue; }
    run "$root/usr/bin/$c" --help >"$scratch/$c.help" && [ -s "$scratch/$c.help" ] ||
      { fail "$c --help"; continue; }
    echo "  ok: $c --version: $out"
  done
}

# A manual page renders without a warning of man or mandoc, its whatis line
# names the command, its footer the version, and it names every option that
# the command's --help lists.
check_manual_page() {
  begin
  local c=$1 page="$root/usr/share/man/man1/$1.1.gz"
  [ -f "$page" ] || { fail "no manual page usr/share/man/man1/$c.1.gz"; return; }
  local warnings
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man warns on $c.1: $warnings"
  if command -v mandoc >/dev/null; then
    warnings=$(zcat "$page" | mandoc -T lint -W warning 2>&1)
    [ -z "$warnings" ] || fail "mandoc warns on $c.1: $warnings"
  fi
  [[ "$(lexgrog "$page")" == *": \"$c - "* ]] || fail "the whatis line of $c.1: $(lexgrog "$page")"
  local text
  text=$(LC_ALL=C.UTF-8 MANWIDTH=250 man -l "$page" 2>/dev/null)
  [[ "$text" == *"PCZentrixNet $version"* ]] || fail "$c.1 does not name version $version"
  if [ -s "$scratch/$c.help" ]; then
    local option missing=()
    for option in $(grep -oE -- '--[a-z][a-z0-9-]*' "$scratch/$c.help" | sort -u); do
      grep -qF -- "$option" <<<"$text" || missing+=("$option")
    done
    [ ${#missing[@]} -eq 0 ] || fail "$c.1 lacks the options ${missing[*]} of $c --help"
  fi
  ok "manual page $c.1"
}

png_size() {  # width x height from a PNG's header
  local b
  read -r -a b < <(od -An -tu1 -j16 -N8 "$1")
  echo "$(((b[0] << 24) + (b[1] << 16) + (b[2] << 8) + b[3]))x$(((b[4] << 24) + (b[5] << 16) + (b[6] << 8) + b[7]))"
}

check_desktop_entry() {
  begin
  local entry="$root/usr/share/applications/pczentrixnet.desktop"
  [ -f "$entry" ] || { fail "no usr/share/applications/pczentrixnet.desktop"; return; }
  local report
  report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
  grep -qE '^[^:]*: (error|warning):' <<<"$report" && fail "desktop-file-validate: $report"
  local exec path icon
  exec=$(sed -n 's/^Exec=//p' "$entry")
  path=$(sed -n 's/^Path=//p' "$entry")
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ "$exec" = /usr/bin/PCZentrixNet ] && [ -x "$root$exec" ] || fail "Exec= is '$exec'"
  local p
  for p in b1 b2 b3 b4 b5 b6; do
    [ -s "$root$path/$p.bmp" ] || fail "Path= '$path' does not hold $p.bmp"
  done
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon '$icon'"
  local size png
  for size in 16 22 24 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png"
    [ -f "$png" ] || { fail "no ${size}x${size} icon"; continue; }
    [ "$(png_size "$png")" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $(png_size "$png")"
  done
  ok "desktop entry, pictures beside its working folder, icons"
}

check_metainfo() {
  begin
  local files=("$root"/usr/share/metainfo/*.metainfo.xml)
  [ ${#files[@]} = 1 ] && [ -f "${files[0]}" ] || { fail "not one metainfo file: ${files[*]}"; return; }
  local info=${files[0]} report
  report=$(appstreamcli validate --no-net --pedantic "$info" 2>&1) || fail "appstreamcli validate: $report"
  local launchable newest
  launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$info")
  [ -f "$root/usr/share/applications/$launchable" ] || fail "the metainfo launches '$launchable', not in the package"
  newest=$(grep -m1 -o '<release version="[^"]*"' "$info" | cut -d'"' -f2)
  [ "$newest" = "$version" ] || fail "the metainfo's newest release is '$newest', not $version"
  local c
  for c in "${commands[@]}"; do
    grep -qF "<binary>$c</binary>" "$info" || fail "the metainfo does not provide $c"
  done
  ok "metainfo $(basename "$info")"
}

check_debian_documents() {
  begin
  local doc="$root/usr/share/doc/$package"
  grep -q '^Copyright: ' "$doc/copyright" 2>/dev/null || fail "no copyright file in usr/share/doc/$package"
  local first
  first=$(zcat "$doc/changelog.gz" 2>/dev/null | head -1)
  [[ "$first" == "pczentrixnet ($version) "* ]] || fail "the changelog starts with '$first', not version $version"
  ok "copyright and changelog"
}

check_bridge_unit() {
  begin
  local unit="$root/usr/lib/systemd/system/pczentrixnet-bridge.service"
  [ -f "$unit" ] || { fail "no systemd unit pczentrixnet-bridge.service"; return; }
  local program
  program=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit")
  [ "$program" = /usr/bin/zentrixnet-bridge ] && [ -x "$root$program" ] || fail "the unit starts '$program'"
  grep -q '^Documentation=man:zentrixnet-bridge(1)' "$unit" || fail "the unit does not name the bridge's manual page"
  # Where the manual page sends the reader for a configuration to start from.
  [ -f "$root/usr/share/doc/$package/bridge.ini.example" ] || fail "no usr/share/doc/$package/bridge.ini.example"
  [ -x "$root/usr/share/doc/$package/examples/alarm-mail.sh" ] || fail "no usr/share/doc/$package/examples/alarm-mail.sh"
  ok "systemd unit and example configuration of the bridge"
}

check_commands
for c in "${commands[@]}"; do check_manual_page "$c"; done
if [[ " ${commands[*]} " == *" PCZentrixNet "* ]]; then
  check_desktop_entry
  check_metainfo
fi
check_debian_documents
if [[ " ${commands[*]} " == *" zentrixnet-bridge "* ]]; then check_bridge_unit; fi
[ $failures -eq 0 ]
