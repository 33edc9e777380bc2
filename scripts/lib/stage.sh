# What every stage of the test and build scripts shares: a stage that fails
# says why (sourced by scripts/test, scripts/test-wine and the cache builds).

# report_failures: a command that fails under set -e names itself and its
# line before the script ends, so no stage stops without a word.
report_failures() {
  trap 'failed_with=$?; echo "$(basename "$0"): failed (exit $failed_with) at line $LINENO: $BASH_COMMAND" >&2' ERR
}

# run_logged LOG COMMAND...: runs the command with its output in LOG; when it
# fails, its last lines follow on standard error and its status is returned.
run_logged() {
  local log=$1 status=0
  shift
  "$@" >"$log" 2>&1 || status=$?
  if [ $status -ne 0 ]; then
    echo "$(basename "$0"): '$*' failed (exit $status); its last lines ($log):" >&2
    tail -n 30 "$log" >&2
  fi
  return $status
}

# use_compiler_cache: sets compiler_launcher to cmake's option for ccache (empty
# without it). The objects are kept in our cache folder beside Qt's and
# SQLite's, with paths taken relative to the clone and the build folder left
# out of the key, so that a fresh clone's builds compile only what changed.
use_compiler_cache() {
  compiler_launcher=()
  command -v ccache >/dev/null || return 0
  export CCACHE_DIR=${XDG_CACHE_HOME:-$HOME/.cache}/pczentrixnet/ccache CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1 \
    CCACHE_MAXSIZE=15G
  compiler_launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
}

# failed_tests DIR: the tests that failed in the build folder's last ctest
# run, each with the last lines of its output, for the end of the run (a CI
# log is often read from its end).
failed_tests() {
  local dir=$1 name
  local list=$dir/Testing/Temporary/LastTestsFailed.log log=$dir/Testing/Temporary/LastTest.log
  [ -f "$list" ] && [ -f "$log" ] || return 0
  while IFS=: read -r _ name; do
    echo "-- $dir: $name failed; the last lines of its output:"
    awk -v name="$name" '
      $0 ~ "^[0-9]+/[0-9]+ Test: " && substr($0, index($0, ": ") + 2) == name { inside = 1; next }
      inside && $0 == "<end of output>" { exit }
      inside { lines[n++ % 25] = $0 }
      END { for (i = (n > 25 ? n - 25 : 0); i < n; i++) print lines[i % 25] }' "$log"
  done <"$list"
}
