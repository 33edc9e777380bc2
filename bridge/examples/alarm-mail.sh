#!/bin/sh
# zentrixnet-bridge alarm command: one e-mail per alarm event through Debian's
# msmtp (apt install msmtp msmtp-mta; its account in /etc/msmtprc) or any
# sendmail. Install it, adjust TO, and name it in bridge.ini:
#   alarm-command = /usr/local/bin/pczn-alarm-mail
set -eu
TO="pv@example.org"
SENDMAIL="${SENDMAIL:-/usr/sbin/sendmail}"

case "$PCZN_EVENT" in
  fault-started)  what="Störung: $PCZN_FAULT" ;;
  fault-ended)    what="Störung behoben: $PCZN_FAULT" ;;
  link-lost)      what="Verbindung zum Zentrix unterbrochen!" ;;
  link-back)      what="Verbindung zum Zentrix wieder da" ;;
  monitoring-off) what="Überprüfung = AUS!" ;;
  monitoring-on)  what="Überprüfung wieder an" ;;
  *)              what="$PCZN_EVENT" ;;
esac

# The subject in RFC 2047 form: it holds umlauts.
subject="=?UTF-8?B?$(printf 'PV-Anlage %s: %s' "$PCZN_PLANT" "$what" | base64 -w0)?="

"$SENDMAIL" -t <<MAIL
To: $TO
Subject: $subject
MIME-Version: 1.0
Content-Type: text/plain; charset=UTF-8

$what
Anlage: $PCZN_PLANT
Zeit:   $PCZN_TIME (UTC)
MAIL
