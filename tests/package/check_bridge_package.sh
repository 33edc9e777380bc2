#!/usr/bin/env bash
# Checks the bridge's package of any architecture: it takes over from the
# single package pczentrixnet of 1.2.0 (Breaks and Replaces), its Depends names
# Qt Core, libmosquitto and libsystemd but no GUI library of Qt, and its
# programs load no such library either: by ldd for the machine's own
# architecture, by the foreign architecture's loader (--list) under qemu-user
# for another.
#   check_bridge_package.sh DEB WORK_DIR
set -uo pipefail
deb=$1
work=$2
failures=0
fail() { echo "  FAIL: $*" >&2; failures=$((failures + 1)); }

for field in Breaks Replaces; do
  value=$(dpkg-deb -f "$deb" "$field")
  [[ "$value" == *"pczentrixnet (<< 1.3.0)"* ]] || fail "$field is '$value', not pczentrixnet (<< 1.3.0)"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "  Depends: $depends"
for lib in libc6 libqt6core6 libmosquitto1 libsystemd0; do
  [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] || fail "Depends lacks $lib"
done
if grep -qE 'libqt6(gui|widgets|opengl|dbus|xcb)' <<<"$depends"; then
  fail "Depends names a GUI library of Qt: $depends"
fi

# The libraries the programs load, as the dynamic loader resolves them.
loaded_libraries() {
  local program=$1 arch=$2
  if [ "$arch" = "$(dpkg --print-architecture)" ]; then
    ldd "$program"
    return
  fi
  local emulator loader
  case "$arch" in
    arm64) emulator=qemu-aarch64 ;;
    armhf) emulator=qemu-arm ;;
    *) echo "no emulator known for $arch" >&2; return 1 ;;
  esac
  loader=$(readelf -l "$program" | sed -n 's/.*Requesting program interpreter: \(.*\)]/\1/p')
  # The architecture's own loader (libc6:ARCH), as the programs name it.
  "$emulator" "$loader" --list "$program"
}

arch=$(dpkg-deb -f "$deb" Architecture)
root="$work/bridge-root-$arch"
rm -rf "$root"
mkdir -p "$root"
dpkg-deb -x "$deb" "$root"
for program in "$root"/usr/bin/*; do
  if ! libraries=$(loaded_libraries "$program" "$arch" 2>&1); then
    fail "the libraries of $(basename "$program") could not be listed: $libraries"
    continue
  fi
  grep -q 'not found' <<<"$libraries" && fail "$(basename "$program") misses libraries: $libraries"
  if grep -qE 'libQt6(Gui|Widgets|OpenGL|DBus|XcbQpa)' <<<"$libraries"; then
    fail "$(basename "$program") loads a GUI library of Qt: $libraries"
  fi
  grep -q 'libQt6Core' <<<"$libraries" || [ "$(basename "$program")" = zentrixnet-poll ] ||
    fail "$(basename "$program") does not load Qt Core: $libraries"
done
[ $failures -eq 0 ] && echo "  ok: $(basename "$deb") takes over from 1.2.0 and needs Qt Core only"
[ $failures -eq 0 ]
