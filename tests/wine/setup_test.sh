#!/usr/bin/env bash
# The Windows setup made from this build tree, tried in a wine prefix of its
# own as an installer would: a silent install for the machine with the bridge
# ticked, the program from the installed folder against the simulator (a
# whole exchange through COM 5), and a silent uninstall that leaves no file or
# entry of ours.
#   setup_test.sh BUILD_DIR NATIVE_BIN   (PCZN_WINE_SHIM: the modem-line shim)
# The program is started through its Start menu entry and saves a plant file
# under a name with umlauts; the shipped libraries carry no debug sections and
# the licence texts are there. The portable .zip is checked to hold the same
# folder. Then the installer writes bridge.ini and runs the setup once more,
# which installs and starts the bridge's service; it publishes a second
# simulator's plant to Debian's mosquitto, and the uninstaller stops it (its
# "offline" reaches the broker) and removes it, leaving the configuration and
# the archive.
set -euo pipefail
build=$1 native_bin=$2 shim=$PCZN_WINE_SHIM
work=$build/setup-test
prefix=$work/prefix
ports=$work/ports
. "$(dirname "$0")/../poll/poll_steps.sh"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH
sim_pid="" broker_pid="" subscriber_pid="" keeper_pid=""
stop() { if [ -n "$1" ]; then kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; fi; }
cleanup() {
  stop "$keeper_pid"
  timeout 30 wineserver -k 2>/dev/null || true
  stop "$subscriber_pid"
  stop "$broker_pid"
  stop "$sim_pid"
}
trap cleanup EXIT

# mqtt_said LINE SECONDS: whether the subscriber has printed the line
# "topic payload" within the time.
mqtt_said() {
  for _ in $(seq $(($2 * 10 + 1))); do
    grep -qxF -- "$1" "$work/mqtt.log" && return 0
    sleep 0.1
  done
  return 1
}

echo "== the setup and the portable archive"
rm -f "$build"/PCZentrixNet-*-win64*
(cd "$build" && cpack -G "NSIS;ZIP" >"$build/cpack.log" 2>&1) || { cat "$build/cpack.log"; exit 1; }
setup=$(ls "$build"/PCZentrixNet-*-win64-setup.exe)
zip=$(ls "$build"/PCZentrixNet-*-win64.zip)
echo "setup: $(basename "$setup"), $(stat -c %s "$setup") bytes; zip: $(stat -c %s "$zip") bytes"

echo "== a prefix of its own"
rm -rf "$work"
mkdir -p "$work"
DISPLAY='' bash "$(dirname "$0")/../../scripts/lib/wine-prefix.sh" "$prefix" "$ports"
program_dir="$prefix/drive_c/Program Files/PCZentrixNet"
menu_dir="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/PCZentrixNet"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\PCZentrixNet'
vendor_key='HKLM\Software\The PCZentrixNet developers'

echo "== silent install with the bridge ticked"
DISPLAY='' timeout 300 wine "$setup" /S /BRIDGE || fail "the setup ended with status $?"
DISPLAY='' timeout 120 wineserver -w
data_dir="$prefix/drive_c/ProgramData/PCZentrixNet"
[ -f "$program_dir/zentrixnet-bridge.exe" ] || fail "no zentrixnet-bridge.exe in Program Files"
[ -f "$data_dir/bridge.ini.example" ] || fail "no example configuration in ProgramData"
if DISPLAY='' timeout 60 wine sc query PCZentrixNet-Bridge >/dev/null 2>&1; then
  fail "a service is installed without the installer's bridge.ini"
fi
[ -f "$program_dir/PCZentrixNet.exe" ] || fail "no PCZentrixNet.exe in Program Files"
for f in Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll \
  libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll b1.bmp b6.bmp zentrixnet-poll.exe \
  translations/qtbase_de.qm Lizenzen/LGPL-3.0.txt Lizenzen/GPL-3.0.txt Lizenzen/Qt-Copyright.txt \
  Lizenzen/Qt-Quelltext.txt Lizenzen/GCC-Laufzeit-Copyright.txt Lizenzen/mingw-w64-Copyright.txt; do
  [ -f "$program_dir/$f" ] || fail "$f is not installed"
done
[ -f "$menu_dir/PCZentrixNet.lnk" ] || fail "no Start menu entry"
for f in "$program_dir"/*.exe "$program_dir"/*.dll "$program_dir"/*/*.dll; do
  if x86_64-w64-mingw32-objdump -h "$f" | grep -q '\.debug_'; then fail "$(basename "$f") has debug sections"; fi
done
grep -q "qt6-base, version" "$program_dir/Lizenzen/Qt-Quelltext.txt" || fail "Qt's source is not named"
DISPLAY='' timeout 60 wine reg query "$uninstall_key" >"$work/key.txt" 2>&1 ||
  fail "no entry under Apps (the uninstall key)"
for value in UninstallString InstallLocation EstimatedSize; do
  grep -q "$value" "$work/key.txt" || fail "the uninstall key has no $value"
done
estimated_kb=$(($(sed -n 's/.*EstimatedSize.*REG_DWORD *//p' "$work/key.txt" | tr -d '\r')))
installed_kb=$(du -sk "$program_dir" | cut -f1)
echo "installed folder: $installed_kb KB (EstimatedSize $estimated_kb KB)"
[ "$estimated_kb" -gt $((installed_kb / 2)) ] || fail "EstimatedSize $estimated_kb KB is not the folder's size"

echo "== the portable archive holds the installed folder"
mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
(cd "$work/zip"/*/ && find . -type f | sort) >"$work/zip.list"
(cd "$program_dir" && find . -type f ! -name Uninstall.exe | sort) >"$work/installed.list"
diff "$work/zip.list" "$work/installed.list" || fail "the .zip and the installed folder differ"

echo "== the installed program, started through its Start menu entry, exchanges and saves"
# Nothing of the prefix may still run from the steps without a display: the
# program's windows would go to that display-less session.
DISPLAY='' timeout 120 wineserver -w
PCZN_WINE_PROGRAM_DIR=$program_dir PCZN_WINE_PORTS=$ports PCZN_WINE_SHIM=$shim \
  PCZN_WINE_START_MENU_ENTRY=$menu_dir/PCZentrixNet.lnk timeout 600 "$native_bin/wine_program_tests" \
  --gtest_filter='WineProgramTest.ChoosingCom5*:WineProgramTest.APlantFileSavesUnderANameWithUmlauts' ||
  fail "the installed program did not start through its entry, exchange or save"
DISPLAY='' timeout 30 wineserver -k 2>/dev/null || true

echo "== the setup once more, with the installer's bridge.ini: the bridge's service"
broker_port=$(free_port)
/usr/sbin/mosquitto -p "$broker_port" >"$work/broker.log" 2>&1 &
broker_pid=$!
for _ in $(seq 300); do listens "$broker_port" && break; sleep 0.1; done
mosquitto_sub -h 127.0.0.1 -p "$broker_port" -v -t 'pczentrixnet/#' >"$work/mqtt.log" 2>&1 &
subscriber_pid=$!
"$native_bin/zentrixnet-sim" --seed 3 --start "2024-06-21 11:40" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
pty=$(first_line "$sim_pid" "$work/sim.out")
[ -n "$pty" ] || { cat "$work/sim.err"; echo "the simulator did not start"; exit 1; }
ln -sfn "$pty" "$ports/com6"
printf 'port = COM6\nmqtt-host = 127.0.0.1\nmqtt-port = %s\nplant = roof\n' "$broker_port" >"$data_dir/bridge.ini"
# Only its owner may read it: wine makes a file's access list from its mode.
chmod 600 "$data_dir/bridge.ini"
# Wine ends a service once no other program of the prefix runs. A console
# that reads from a pipe until the test ends its writer keeps the service
# running, as Windows does, until the uninstall. Only that writer holds the
# pipe's writing end, so that its end is the console's.
mkfifo "$work/keeper"
sleep 3600 >"$work/keeper" &
keeper_pid=$!
DISPLAY='' wine cmd /q <"$work/keeper" >/dev/null 2>&1 &
DISPLAY='' timeout 300 wine "$setup" /S /BRIDGE || fail "the setup ended with status $?"
mqtt_said "pczentrixnet/roof/availability online" 240 || fail "the service did not publish \"online\""
grep -q "^pczentrixnet/roof/state " "$work/mqtt.log" || fail "the service published no state"
DISPLAY='' timeout 60 wine sc query PCZentrixNet-Bridge >"$work/service.txt" 2>&1 || true
grep -q RUNNING "$work/service.txt" || { fail "the service PCZentrixNet-Bridge does not run"; cat "$work/service.txt"; }

echo "== silent uninstall"
# The uninstaller copies itself away and returns at once: the console ends,
# and the server's end says that the uninstaller's copy is done.
DISPLAY='' timeout 300 wine "$program_dir/Uninstall.exe" /S || fail "the uninstaller ended with status $?"
stop "$keeper_pid"
keeper_pid=""
DISPLAY='' timeout 120 wineserver -w || fail "wine's programs of the prefix did not end after the uninstall"
mqtt_said "pczentrixnet/roof/availability offline" 60 || fail "the service was not stopped with \"offline\""
if DISPLAY='' timeout 60 wine sc query PCZentrixNet-Bridge >/dev/null 2>&1; then
  fail "the service PCZentrixNet-Bridge is left"
fi
left=$(cd "$data_dir" && find . -mindepth 1 ! -name bridge.ini ! -name 'Anlage-*.sqlite' | sort)
[ -z "$left" ] || fail "left in ProgramData besides the configuration and the archive: $left"
ls "$data_dir"/Anlage-*.sqlite >/dev/null 2>&1 || fail "the service's archive is gone"
[ ! -e "$program_dir" ] || { fail "files are left in Program Files"; find "$program_dir" | head; }
[ ! -e "$menu_dir" ] || fail "the Start menu entry is left"
if DISPLAY='' timeout 60 wine reg query "$uninstall_key" >/dev/null 2>&1; then
  fail "the entry under Apps is left"
fi
if DISPLAY='' timeout 60 wine reg query "$vendor_key" >/dev/null 2>&1; then
  fail "the key $vendor_key is left"
fi

if [ "$failures" -ne 0 ]; then
  echo "setup_test: $failures failed"
  exit 1
fi
echo "setup_test: all passed"
