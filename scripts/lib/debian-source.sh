# Fetching a Debian source package for the Windows libraries (sourced by
# scripts/build-qt-windows and scripts/build-sqlite-windows).

# add_source_entries LOG: source entries for the machine's own Debian mirror, a
# copy of its binary entries with the type changed, so no host name is written
# into our files. Runs apt-get update once, when the entries are new.
add_source_entries() {
  local log=$1 list=/etc/apt/sources.list.d/pczn-deb-src.sources
  local oneline=/etc/apt/sources.list.d/pczn-deb-src.list
  [ -f "$list" ] || [ -f "$oneline" ] && return 0
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    grep -q '^URIs:.*debian' "$f" || continue
    sed -e 's/^Types: deb$/Types: deb-src/' "$f" >>"$list.tmp"
    echo >>"$list.tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' /etc/apt/sources.list >"$oneline.tmp"
  fi
  [ -s "$list.tmp" ] && mv "$list.tmp" "$list"
  [ -s "$oneline.tmp" ] && mv "$oneline.tmp" "$oneline"
  rm -f "$list.tmp" "$oneline.tmp"
  if [ ! -f "$list" ] && [ ! -f "$oneline" ]; then
    echo "no Debian entry in the apt sources to derive source entries from" >&2
    return 1
  fi
  apt-get update -q >>"$log" 2>&1
}

# fetch_debian_source PACKAGE VERSION DIR LOG: unpacks the source package into
# DIR (once; a finished unpack is marked) and prints the source folder.
fetch_debian_source() {
  local package=$1 version=$2 dir=$3 log=$4 found
  found=$(find "$dir" -maxdepth 1 -type d -name "$package-*" 2>/dev/null | head -1 || true)
  if [ -n "$found" ] && [ -f "$found/.unpacked" ]; then
    echo "$found"
    return 0
  fi
  add_source_entries "$log" || return 1
  rm -rf "$dir"
  mkdir -p "$dir"
  if ! (cd "$dir" && apt-get source -q "$package=$version" >>"$log" 2>&1); then
    echo "apt-get source $package=$version failed (log: $log)" >&2
    return 1
  fi
  found=$(find "$dir" -maxdepth 1 -type d -name "$package-*" | head -1)
  if [ -z "$found" ]; then
    echo "no source folder of $package in $dir" >&2
    return 1
  fi
  touch "$found/.unpacked"
  echo "$found"
}
