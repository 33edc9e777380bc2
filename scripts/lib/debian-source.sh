# Fetching a Debian source package for the Windows libraries, and the lock that
# keeps two builds of the cache apart (sourced by scripts/build-qt-windows,
# scripts/build-sqlite-windows and scripts/build-mosquitto-windows).

# take_cache_lock CACHE NAME: holds CACHE/NAME.lock until the calling script
# ends, so a second build of the same library (the test script beside
# scripts/package --windows) waits instead of removing the first one's work.
take_cache_lock() {
  local cache=$1 name=$2
  mkdir -p "$cache"
  exec 9>"$cache/$name.lock"
  if ! flock -n 9; then
    echo "$name: another build of it is running; waiting for it to end" >&2
    flock 9
  fi
}

# source_indexes_have PACKAGE: true when apt's source indexes know PACKAGE.
# grep reads the whole record: stopping at the first match (-q) would end
# apt-cache with SIGPIPE mid-record, which pipefail takes for a failure.
source_indexes_have() {
  apt-cache showsrc "$1" 2>/dev/null | grep '^Version: ' >/dev/null
}

# add_source_entries PACKAGE LOG: source entries for the machine's own Debian
# mirror, a copy of its binary entries with the type changed, so no host name
# is written into our files; then apt-get update, until apt's source indexes
# know PACKAGE. A machine whose apt never saw a source entry, or whose entries
# were written but never fetched, ends the same way.
add_source_entries() {
  local package=$1 log=$2 dir=${PCZN_APT_SOURCES:-/etc/apt}
  local list=$dir/sources.list.d/pczn-deb-src.sources oneline=$dir/sources.list.d/pczn-deb-src.list
  source_indexes_have "$package" && return 0
  if [ ! -f "$list" ] && [ ! -f "$oneline" ]; then
    local f
    for f in "$dir"/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      grep -q '^URIs:.*debian' "$f" || continue
      sed -e 's/^Types: deb$/Types: deb-src/' "$f" >>"$list.tmp"
      echo >>"$list.tmp"
    done
    if [ -f "$dir/sources.list" ]; then
      sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' "$dir/sources.list" >"$oneline.tmp"
    fi
    [ -s "$list.tmp" ] && mv "$list.tmp" "$list"
    [ -s "$oneline.tmp" ] && mv "$oneline.tmp" "$oneline"
    rm -f "$list.tmp" "$oneline.tmp"
    if [ ! -f "$list" ] && [ ! -f "$oneline" ]; then
      echo "no Debian entry in the apt sources to derive source entries from" >&2
      return 1
    fi
  fi
  if ! apt-get update -q >>"$log" 2>&1; then
    echo "apt-get update failed (log: $log):" >&2
    tail -5 "$log" >&2
    return 1
  fi
  if ! source_indexes_have "$package"; then
    echo "apt's source indexes do not know $package, even after apt-get update (log: $log)" >&2
    return 1
  fi
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
  add_source_entries "$package" "$log" || return 1
  rm -rf "$dir"
  mkdir -p "$dir"
  if ! (cd "$dir" && apt-get source -q "$package=$version" >>"$log" 2>&1); then
    echo "apt-get source $package=$version failed (log: $log):" >&2
    tail -5 "$log" >&2
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

# fetch_debian_source_or_older PACKAGE VERSION DIR LOG: fetch_debian_source of
# VERSION into DIR-VERSION; when the mirror cannot deliver it (a security
# update whose files it lacks), the newest older version apt's source indexes
# know that it can deliver, said on standard error. Prints the version fetched,
# then its source folder, one a line.
fetch_debian_source_or_older() {
  local package=$1 wanted=$2 dir=$3 log=$4 version found
  for version in "$wanted" $(older_source_versions "$package" "$wanted"); do
    if found=$(fetch_debian_source "$package" "$version" "$dir-$version" "$log"); then
      [ "$version" = "$wanted" ] ||
        echo "$package $wanted (the host's) cannot be fetched; building $version, the newest older one that can" >&2
      printf '%s\n%s\n' "$version" "$found"
      return 0
    fi
  done
  echo "no version of $package up to $wanted could be fetched (log: $log)" >&2
  return 1
}

# older_source_versions PACKAGE VERSION: the versions of PACKAGE older than
# VERSION that apt's source indexes know, newest first.
older_source_versions() {
  local package=$1 wanted=$2 version
  apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -u -V -r |
    while read -r version; do
      if dpkg --compare-versions "$version" lt "$wanted"; then echo "$version"; fi
    done
}
