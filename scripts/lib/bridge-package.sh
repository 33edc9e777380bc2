# The bridge's package of a foreign architecture, made from a headless cross
# build and checked (sourced by scripts/package and scripts/test-cross).

# pack_bridge BUILD_DIR OUT_DIR: CPack makes the build's packages (the bridge's
# only in a headless build) into OUT_DIR; prints the bridge's .deb.
pack_bridge() {
  local build=$1 out
  rm -rf "$2"
  mkdir -p "$2"
  out=$(realpath "$2")
  if ! (cd "$build" && cpack -B "$out" >"$out/cpack.log" 2>&1); then
    echo "cpack failed in $build; its last lines:" >&2
    tail -n 30 "$out/cpack.log" >&2
    return 1
  fi
  local deb
  deb=$(ls "$out"/pczentrixnet-bridge_*.deb 2>/dev/null | head -1)
  [ -n "$deb" ] || { echo "cpack made no pczentrixnet-bridge_*.deb in $out" >&2; return 1; }
  echo "$deb"
}

# check_bridge_deb DEB WORK_DIR: lintian finds no error; Breaks/Replaces, the
# Depends and the loaded libraries as the package test checks them.
check_bridge_deb() {
  local deb=$1 work=$2
  echo "$(basename "$deb"): $(stat -c %s "$deb") bytes; lintian says:"
  lintian --display-info --fail-on error "$deb" || { echo "lintian reports errors in $(basename "$deb")" >&2; return 1; }
  bash tests/package/check_bridge_package.sh "$deb" "$work"
}

# run_from_scratch_root DEB WORK_DIR: the package's files unpacked into a
# scratch root (dpkg -x: no chroot, no maintainer scripts, which want systemd
# and a shell of the architecture inside the root, and no dpkg database to
# fake), and its bridge, as installed there, answering --version under qemu
# with the version of the package.
run_from_scratch_root() {
  local deb=$1 work=$2 arch version emulator out
  arch=$(dpkg-deb -f "$deb" Architecture)
  version=$(dpkg-deb -f "$deb" Version)
  case "$arch" in
    arm64) emulator=qemu-aarch64 ;;
    armhf) emulator=qemu-arm ;;
    *) emulator="" ;;
  esac
  local root=$work/scratch-root
  rm -rf "$root"
  mkdir -p "$root"
  dpkg-deb -x "$deb" "$root"
  # On the architecture's multiarch C library and libraries, as on its own system.
  if ! out=$(${emulator} "$root/usr/bin/zentrixnet-bridge" --version 2>&1); then
    echo "the unpacked zentrixnet-bridge ($arch) did not answer --version: $out" >&2
    return 1
  fi
  if [[ "$out" != *" $version" ]]; then
    echo "the unpacked zentrixnet-bridge ($arch) says '$out', not version $version" >&2
    return 1
  fi
  echo "  ok: the unpacked $arch bridge under ${emulator:-no emulator}: $out"
}
