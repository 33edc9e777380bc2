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
