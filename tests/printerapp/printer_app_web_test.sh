#!/usr/bin/env bash
# The printer application's printing defaults page in a browser: the
# family's settings, their choices and the output bins under the PPD's
# labels ("RGB Image", "sRGB Vivid", "Finisher Bin 1"), none under its
# keyword ("quorlan-rgb-image:", "Srgb Vivid"), while the printer's
# attributes stay as they were however often clients read them. Headless
# Chromium reads
# the page as a local administrator does, through the application's local
# socket, and takes a screenshot of it (kept with the test's folder when
# KEEP_PRINTER_APP_WEB is set).
#   printer_app_web_test.sh BUILD_DIR SOURCE_DIR
# Exits 77 (skipped) when Chromium or another tool it needs is missing.
set -euo pipefail
export LC_ALL=C

build=$(realpath "$1")
source=$(realpath "$2")
. "$source/tests/printerapp/printer_app_test_lib.sh"
chromium=$(command -v chromium || command -v chromium-browser || true)
[ -n "$chromium" ] || { echo "SKIP: chromium is not installed"; exit 77; }
require_tools python3 ipptool curl ss timeout
app=$build/ticketpress-printer-app
[ -x "$app" ] || { echo "FAIL: $app is not built"; exit 1; }
sandbox=$source/scripts/printer-app-sandbox.sh
export TICKETPRESS_PRINTER_APP=$app

work=$(mktemp -d "$build/printer-app-web.XXXXXX")
relay_pid=
app_started=
finish() {
  status=$?
  [ -z "$relay_pid" ] || { kill "$relay_pid" 2> /dev/null; wait "$relay_pid" 2> /dev/null; } || true
  [ -z "$app_started" ] || "$sandbox" stop "$work/app" || status=1
  [ $status -eq 0 ] || { echo "--- printer application log (last 20 lines)"; tail -n 20 "$work/app/printer-app.log" 2> /dev/null || true; }
  [ -n "${KEEP_PRINTER_APP_WEB:-}" ] && echo "kept $work (screenshot: $work/printing.png)" || rm -rf "$work"
  exit $status
}
trap finish EXIT

port=$(free_port) || { echo "FAIL: no free port"; exit 1; }
app_started=yes
# No job is printed: the printer's device is never opened.
"$sandbox" start "$port" "$work/app" "socket://127.0.0.1:9" > /dev/null

# PAPPL asks a TCP client of the pages for an administrator's password, and
# lets a local one in. The relay takes the browser's connections to the
# application's local socket, where the application knows this user.
socket=$work/app/ticketpress-printer-app
[ "$(id -u)" = 0 ] || socket=$socket$(id -u)
socket=$socket.sock
cat > "$work/relay.py" <<'PYTHON'
import os, socket, sys, threading

def pump(source, sink):
    try:
        while data := source.recv(65536):
            sink.sendall(data)
    except OSError:
        pass
    try:
        sink.shutdown(socket.SHUT_WR)
    except OSError:
        pass

server = socket.create_server(("127.0.0.1", int(sys.argv[1])))
print(os.getpid(), flush=True)
while True:
    client, _ = server.accept()
    local = socket.socket(socket.AF_UNIX)
    local.connect(sys.argv[2])
    for ends in ((client, local), (local, client)):
        threading.Thread(target=pump, args=ends, daemon=True).start()
PYTHON
relay_port=$(free_port "$port") || { echo "FAIL: no free port"; exit 1; }
python3 "$work/relay.py" "$relay_port" "$socket" > "$work/relay.pid" 2> "$work/relay.log" &
relay_pid=$!
wait_for 10 test -s "$work/relay.pid" || { echo "FAIL: the relay did not start"; cat "$work/relay.log"; exit 1; }

page=http://127.0.0.1:$relay_port/laser/printing
browse() {  # browse CHROMIUM_OPTION...: the page, as Chromium has it
  timeout 60 "$chromium" --headless --no-sandbox --disable-gpu --hide-scrollbars --lang=en-US \
    --user-data-dir="$work/chromium" "$@" "$page" 2> "$work/chromium.log"
}
browse --dump-dom > "$work/printing.html" || true
browse --window-size=1000,1700 --screenshot="$work/printing.png" > /dev/null || true
# The page's text, one piece a line, as it shows.
sed 's/<[^>]*>/\n/g' "$work/printing.html" | sed 's/^ *//; s/ *$//' | grep -v '^$' > "$work/printing.txt" || true
shows() {  # shows TEXT...: each a line of the page's text
  local text
  for text in "$@"; do grep -qxF -- "$text" "$work/printing.txt" || return 1; done
}

check "the printing defaults page, with the family's settings" \
  grep -qF '<select name="quorlan-rgb-image">' "$work/printing.html"
check "the settings under the PPD's labels" \
  shows "Toner Darkness:" "PictureGrade:" "Separator Source:" "Offset Pages:" "Print and Hold:" "RGB Image:" \
    "CMYK Color:" "Cyan Balance:" "Saturation:"
check "their choices under the PPD's labels" \
  shows "Printer Setting" "Do Not Print" "Between Copies" "Envelope Feeder" "Print Now" "sRGB Vivid" \
    "Display - True Black" "US CMYK (SWOP)" "+5"
check "the output bins under the PPD's labels" shows "Second Exit Bin" "Bin 10" "Finisher Bin 1"
check "no setting or choice under its keyword" eval '! grep -qE "quorlan-|Srgb|Display True Black" "$work/printing.txt"'
check "a screenshot of the page" test "$(head -c 8 "$work/printing.png" 2> /dev/null | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a

# PAPPL 1.3.1 adds an attribute to the printer at each Get-Printer-Attributes
# once it has a strings resource of a language; the labels must not bring
# one (ipptool fails a response with an attribute twice).
cat > "$work/attributes.test" <<'TEST'
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  STATUS successful-ok
}
TEST
attributes_read_alike() {
  local first second
  first=$(ipptool -tv "ipp://127.0.0.1:$port/ipp/print/laser" "$work/attributes.test" 2> /dev/null | grep -c ' = ') &&
    second=$(ipptool -tv "ipp://127.0.0.1:$port/ipp/print/laser" "$work/attributes.test" 2> /dev/null | grep -c ' = ') &&
    [ "$first" = "$second" ]
}
check "Get-Printer-Attributes twice: the same attributes, none twice" attributes_read_alike

echo "$failures failed"
[ "$failures" -eq 0 ]
