#!/usr/bin/env bash
# The installed program folder under wine on a headless desktop, in a prefix of
# its own: the stage's prefix runs the offscreen tests in a session without a
# display, and a program started into that session shows its windows nowhere.
# The program starts once nothing of its prefix runs without the display.
#   program_test.sh BUILD_DIR NATIVE_BIN [gtest arguments]
#   (PCZN_WINE_SHIM: the modem-line shim; PCZN_SCREENSHOT_DIR as the test takes it)
set -euo pipefail
build=$1 native_bin=$2
shift 2
work=$build/program-test
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH
cleanup() { timeout 30 wineserver -k 2>/dev/null || true; }
trap cleanup EXIT
if [ ! -f "$WINEPREFIX/.pczn-prefix-2" ]; then  # the marker of a finished prefix
  rm -rf "$work"
  mkdir -p "$work"
  DISPLAY='' bash "$(dirname "$0")/../../scripts/lib/wine-prefix.sh" "$WINEPREFIX" "$work/ports"
fi
DISPLAY='' timeout 120 wineserver -w
PCZN_WINE_PROGRAM_DIR=$build/install PCZN_WINE_PORTS=$work/ports \
  timeout 900 "$native_bin/wine_program_tests" "$@"
