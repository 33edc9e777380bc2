#!/bin/sh
# zentrixnet-bridge alarm command: a push message to an ntfy-style server
# (a POST of the text to https://server/topic) with curl. Adjust URL (a topic
# name that others cannot guess), and name it in bridge.ini:
#   alarm-command = /usr/local/bin/pczn-alarm-ntfy
set -eu
URL="https://ntfy.sh/pv-plant-change-this-name"

case "$PCZN_EVENT" in
  fault-started)  title="Störung"; text="$PCZN_FAULT"; priority=high ;;
  fault-ended)    title="Störung behoben"; text="$PCZN_FAULT"; priority=default ;;
  link-lost)      title="Verbindung unterbrochen!"; text="Der Zentrix antwortet nicht."; priority=high ;;
  link-back)      title="Verbindung wieder da"; text="Der Zentrix antwortet wieder."; priority=default ;;
  *)              title="$PCZN_EVENT"; text="$PCZN_EVENT"; priority=default ;;
esac

# --max-time stays below the bridge's limit (alarm-command-timeout, 30 s).
curl --fail --silent --show-error --max-time 20 \
  -H "Title: PV-Anlage $PCZN_PLANT: $title" -H "Priority: $priority" -H "Tags: sunny" \
  --data-binary "$text ($PCZN_TIME)" "$URL"
