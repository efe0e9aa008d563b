#!/usr/bin/env bash
# An order sent by e-mail the way a user sends it, through the screen reader's view of the
# program: a record wanted on the search screen, ticked on the shopping list, a shop chosen
# in the directory, the user's details typed, the mail password given, and the letter sent
# to a mail server on 127.0.0.1 (tests/shopping/smtp_server.py, STARTTLS with a certificate
# made for the run). tools/a11y/order_walk.py drives it and checks what the server took;
# pictures of each step go to SHOTS when given.
#
#   tools/a11y/order.sh [BUILD_DIR] [SHOTS]       (default: build)
#
# Needs what tools/a11y/run.sh needs, and python3-aiosmtpd and openssl (scripts/deps.sh
# installs both for the mail tests).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=$(realpath "${1:-build}")
SHOTS=${2:-}
[ -n "$SHOTS" ] && SHOTS=$(realpath "$SHOTS") && mkdir -p "$SHOTS"

work=$(mktemp -d)
trap 'kill $server 2>/dev/null || true; rm -rf "$work"' EXIT
app="$work/app"
mkdir -p "$app" "$work/config/TALV_Ltd" "$work/data"
"$BUILD_DIR/bin/korvanda-db" create "$app" >/dev/null
for f in korvanda Music.M14 Shops.M14 Korvanda.hlp; do
  [ -e "$BUILD_DIR/bin/$f" ] && cp "$BUILD_DIR/bin/$f" "$app/"
done

openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=127.0.0.1" \
  -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
mkfifo "$work/server-in"
/usr/bin/python3 tests/shopping/smtp_server.py starttls "$work/mail.jsonl" "$work/cert.pem" "$work/key.pem" \
  < "$work/server-in" > "$work/server-out" &
server=$!
exec 7>"$work/server-in"
for _ in $(seq 100); do grep -q PORT "$work/server-out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^PORT //p' "$work/server-out")

cat > "$work/config/TALV_Ltd/TALV_Ltd.ini" <<INI
[Program Options]
Play Intro=False
[Mail]
Use Mail Server=True
Mail Server=127.0.0.1
Port=$port
Security=STARTTLS
User Name=buyer
E-mail Address=jo@example.org
CA File=$work/cert.pem
INI

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export KV_A11Y_APP="$app/korvanda" KV_A11Y_LOG="$work/korvanda.log"
export KV_ORDER_MAIL="$work/mail.jsonl" KV_ORDER_SHOTS="$SHOTS"
. tools/a11y/session.sh
status=0
with_screen_reader "$PWD/tools/a11y/order_walk.py" || status=$?
[ "$status" = 0 ] || { echo "--- program log"; cat "$work/korvanda.log"; }
exit $status
