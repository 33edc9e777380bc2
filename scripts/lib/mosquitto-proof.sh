# The proof that a prefix of libmosquitto and OpenSSL for Windows works: a
# probe linked statically against it runs under wine and makes one MQTT round
# trip over TLS through Debian's broker (sourced by scripts/build-mosquitto-windows).

# make_test_certificates DIR: a throwaway CA, a server certificate for
# 127.0.0.1 signed by it, and a second CA that signed nothing (stranger.pem).
make_test_certificates() {
  local dir=$1
  mkdir -p "$dir"
  echo "subjectAltName=IP:127.0.0.1,DNS:localhost" >"$dir/san.cnf"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=PCZentrixNet probe CA" \
    -keyout "$dir/ca.key" -out "$dir/ca.pem" &&
    openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout "$dir/server.key" -out "$dir/server.csr" &&
    openssl x509 -req -in "$dir/server.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial \
      -days 2 -extfile "$dir/san.cnf" -out "$dir/server.pem" &&
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=PCZentrixNet stranger CA" \
      -keyout "$dir/stranger.key" -out "$dir/stranger.pem"
}

# write_broker_config DIR PORT: a TLS-only listener on 127.0.0.1:PORT with the
# certificates of DIR, logging to DIR/broker.log.
write_broker_config() {
  local dir=$1 port=$2
  cat >"$dir/broker.conf" <<EOF
listener $port 127.0.0.1
cafile $dir/ca.pem
certfile $dir/server.pem
keyfile $dir/server.key
allow_anonymous true
persistence false
log_dest file $dir/broker.log
log_type all
EOF
  # Started by root it would turn into the user mosquitto, who may not write DIR.
  [ "$(id -u)" -ne 0 ] || echo "user root" >>"$dir/broker.conf"
}

# start_tls_broker DIR: starts Debian's mosquitto on a free port of 127.0.0.1
# and waits until it says it runs; sets broker_pid and broker_port. A port
# taken meanwhile by someone else is noticed in the broker's log and another is
# tried.
start_tls_broker() {
  local dir=$1 attempt
  for attempt in 1 2 3 4 5; do
    broker_port=$((20000 + RANDOM % 40000))
    write_broker_config "$dir" "$broker_port"
    : >"$dir/broker.log"
    /usr/sbin/mosquitto -c "$dir/broker.conf" >>"$dir/broker.out" 2>&1 &
    broker_pid=$!
    if wait_for_broker "$dir"; then
      return 0
    fi
    broker_pid=""
    grep -q "Address already in use" "$dir/broker.log" "$dir/broker.out" || break
    echo "port $broker_port is taken (attempt $attempt); trying another" >>"$dir/broker.out"
  done
  echo "Debian's mosquitto did not start; its log ($dir):" >&2
  tail -n 15 "$dir/broker.log" "$dir/broker.out" >&2
  return 1
}

# wait_for_broker DIR: true once the broker logs that it runs, false when it
# ends first. The limit only keeps a broken broker from hanging the build.
wait_for_broker() {
  local dir=$1 tries
  for tries in $(seq 600); do
    grep -q "mosquitto version .* running" "$dir/broker.log" && return 0
    kill -0 "$broker_pid" 2>/dev/null || { wait "$broker_pid" || true; return 1; }
    sleep 0.1
  done
  echo "the broker said nothing in $tries tries" >>"$dir/broker.out"
  kill "$broker_pid" 2>/dev/null || true
  return 1
}

# stop_tls_broker: ends the broker started above, if any.
stop_tls_broker() {
  [ -n "${broker_pid:-}" ] || return 0
  kill "$broker_pid" 2>/dev/null || true
  wait "$broker_pid" 2>/dev/null || true
  broker_pid=""
}

# build_probe PREFIX SOURCE EXE: the probe, linked statically with the flags
# the prefix's pkg-config file gives (so that file is proved too).
build_probe() {
  local prefix=$1 source=$2 exe=$3 flags
  flags=$(PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH='' pkg-config --static --cflags --libs libmosquitto)
  # shellcheck disable=SC2086  # the flags are words
  x86_64-w64-mingw32-gcc-posix -O2 -Wall -Wextra -Werror -static "$source" -o "$exe" $flags
}

# start_wine_prefix DIR: a private wine prefix, its server started first so
# that no command's output pipe is held open by it.
start_wine_prefix() {
  probe_wine_prefix=$1
  export WINEPREFIX=$1 WINEDEBUG=-all DISPLAY='' WINEDLLOVERRIDES="mscoree,mshtml="
  timeout 300 wineboot -i >/dev/null 2>&1
  wineserver -p >/dev/null 2>&1
}

# stop_wine_prefix: ends the server of our own prefix only, and waits for it.
stop_wine_prefix() {
  [ -n "${probe_wine_prefix:-}" ] || return 0
  WINEPREFIX=$probe_wine_prefix wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$probe_wine_prefix timeout 60 wineserver -w >/dev/null 2>&1 || true
  probe_wine_prefix=""
}

# run_probe DIR CA_FILE OUTPUT: the probe (DIR/probe.exe) under wine against the
# broker, in DIR, with the CA file given by its name in DIR; its exit status.
run_probe() {
  local dir=$1 ca=$2 output=$3 status=0
  (cd "$dir" && timeout 300 wine probe.exe 127.0.0.1 "$broker_port" "$ca" pczn/probe "round trip over TLS") \
    >"$output" 2>&1 || status=$?
  return $status
}

# prove_mosquitto_prefix PREFIX PROBE_SOURCE WORK: builds the probe and runs it
# under wine: the round trip must succeed with the throwaway CA and fail the
# certificate check with a CA that signed nothing. Says why when it fails.
prove_mosquitto_prefix() {
  local prefix=$1 source=$2 work=$3 status=0
  local dir=$work/proof
  rm -rf "$dir"
  mkdir -p "$dir"
  build_probe "$prefix" "$source" "$dir/probe.exe" || { echo "the probe did not build against $prefix" >&2; return 1; }
  make_test_certificates "$dir" >"$dir/openssl.log" 2>&1 ||
    { echo "openssl could not make the test certificates:" >&2; tail -5 "$dir/openssl.log" >&2; return 1; }
  start_tls_broker "$dir" || return 1
  start_wine_prefix "$work/wine"
  check_probe_outcomes "$prefix" "$dir" || status=$?
  stop_wine_prefix
  stop_tls_broker
  return $status
}

# check_probe_outcomes PREFIX DIR: the two runs of the probe and what they must say.
check_probe_outcomes() {
  local prefix=$1 dir=$2 status=0
  run_probe "$dir" ca.pem "$dir/trusted.out" || status=$?
  if [ $status -ne 0 ] || ! grep -q "round trip: the message came back" "$dir/trusted.out"; then
    echo "the probe under wine made no TLS round trip (exit $status); it said:" >&2
    cat "$dir/trusted.out" >&2
    return 1
  fi
  # Configuration files are looked for in a folder only administrators write,
  # never in a path of the build machine.
  if ! grep -q '^OPENSSLDIR: "C:/Program Files/Common Files/SSL"' "$dir/trusted.out"; then
    echo "OpenSSL in $prefix reads its configuration elsewhere than C:/Program Files/Common Files/SSL:" >&2
    grep OPENSSLDIR "$dir/trusted.out" >&2 || true
    return 1
  fi
  status=0
  run_probe "$dir" stranger.pem "$dir/stranger.out" || status=$?
  if [ $status -ne 3 ] || ! grep -q "certificate verify failed" "$dir/stranger.out"; then
    echo "the probe under wine did not refuse a broker its CA file does not vouch for (exit $status); it said:" >&2
    cat "$dir/stranger.out" >&2
    return 1
  fi
}
