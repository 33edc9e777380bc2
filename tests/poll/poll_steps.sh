# What the poller's test scripts share: counting failures, waiting for a
# helper's first line, free ports of 127.0.0.1, and checking the poller's
# status and output (its output in $work/poll.out and poll.err, its status in
# $status).
failures=0

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# first_line PID FILE: the first line a helper process prints into FILE, as
# soon as it is there; empty when the process ended without one. The bound
# (300 s) only catches a helper that hangs: a loaded machine may take long to
# start one, and a helper that dies is noticed at once.
first_line() {
  local pid=$1 file=$2 line=""
  for _ in $(seq 3000); do
    line=$(head -1 "$file" 2>/dev/null || true)
    [ -n "$line" ] && break
    kill -0 "$pid" 2>/dev/null || { line=$(head -1 "$file" 2>/dev/null || true); break; }
    sleep 0.1
  done
  echo "$line"
}

expect_status() {
  [ "$status" = "$1" ] || { fail "$2: status $status, expected $1"; cat "$work/poll.out" "$work/poll.err"; }
}

expect_line() {
  grep -qF -- "$1" "$work/$2" || { fail "$3: no \"$1\" in $2"; cat "$work/$2"; }
}

# listens PORT: whether a socket listens on the port (the kernel's table; a
# connection would already make the server open the line).
listens() {
  local hex
  hex=$(printf '%04X' "$1")
  awk -v port=":$hex" '$4 == "0A" && substr($2, length($2) - 4) == port { found = 1 } END { exit !found }' /proc/net/tcp
}

# A port of 127.0.0.1 nothing listens on now.
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 40000))
    listens "$port" || { echo "$port"; return; }
  done
}
