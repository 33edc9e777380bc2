#!/usr/bin/env bash
# The frame trace's cost: whole data exchanges of the console poller against
# the simulator without pacing (the worst case for the trace: nothing but the
# PC's own work between frames), alternately without and with --trace, and
# the poller's run time and processor time (user + system) printed side by
# side, each the median of the repetitions.
#   trace_bench.sh BINDIR [REPETITIONS]     (default 7)
# Prints figures only; there is no goal to miss.
set -euo pipefail
bin=$1 reps=${2:-7}
work=$(mktemp -d /tmp/pczn-trace-bench-XXXXXX)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config

"$bin/zentrixnet-sim" --seed 1 --start "2024-07-02 14:52" --meters 12 --fast --com 5 >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 3000); do [ -s "$work/sim.out" ] && break; kill -0 "$sim_pid" || exit 1; sleep 0.1; done

# one_run [ARGS...]: "wall_ms cpu_ms" of one poller run that ended with a whole exchange.
one_run() {
  local TIMEFORMAT="%R %U %S" times
  times=$({ time "$bin/zentrixnet-poll" --port COM5 --tick 10 "$@" >/dev/null 2>&1; } 2>&1)
  awk '{ printf "%.0f %.0f\n", $1 * 1000, ($2 + $3) * 1000 }' <<<"$times"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: >"$work/off" ; : >"$work/on"
for i in $(seq "$reps"); do
  one_run >>"$work/off"
  one_run --trace "$work/frames.trace" >>"$work/on"
done
frames=$(grep -c -e ' TX ' -e ' RX ' "$work/frames.trace")
printf "%-34s %12s %12s\n" "poller, whole exchange ($reps runs)" "no trace" "--trace"
printf "%-34s %12s %12s\n" "run time, median (ms)" "$(cut -d' ' -f1 "$work/off" | median)" \
  "$(cut -d' ' -f1 "$work/on" | median)"
printf "%-34s %12s %12s\n" "processor time, median (ms)" "$(cut -d' ' -f2 "$work/off" | median)" \
  "$(cut -d' ' -f2 "$work/on" | median)"
echo "frames traced per run: $frames ($(wc -c <"$work/frames.trace") bytes)"
