#!/usr/bin/env bash
# Prints with lp through a private CUPS queue made by "lpadmin -m
# everywhere" in front of the printer application, as a Linux desktop
# does, to a stand-in printer on a raw socket, and checks that the queue
# offers every tray (also of a printer kept by an older release, which named
# trays otherwise), that lp's options as the queue lists them reach each
# job's PJL block and ticket, that CUPS and the application both see each
# job completed, and that each job arrives whole.
#   cups_queue_e2e_test.sh BUILD_DIR SOURCE_DIR
# Needs root (cupsd runs its backends as lp); exits 77 (skipped) otherwise
# or when a tool it needs is missing.
set -euo pipefail
# lp and lpstat answer in the locale's language; the checks read English.
export LC_ALL=C

build=$(realpath "$1")
source=$(realpath "$2")
[ "$(id -u)" = 0 ] || { echo "SKIP: the private cupsd needs root"; exit 77; }
. "$source/tests/printerapp/printer_app_test_lib.sh"
PATH=$PATH:/usr/sbin require_tools cupsd lpadmin lp lpstat ipptool python3 qpdf xmllint pdfinfo ss
for program in ticketpress-printer-app insertqfjt; do
  [ -x "$build/$program" ] || { echo "FAIL: $build/$program is not built"; exit 1; }
done
source "$source/tests/cupsd/private_cupsd.sh"
sandbox=$source/scripts/printer-app-sandbox.sh

# cupsd's backend runs as lp and reads its spool here: the folder is open
# to read, and in the build tree as the private cupsd wants it.
work=$(mktemp -d "$build/cups-queue-e2e.XXXXXX")
chmod 755 "$work"
mkdir "$work/out" "$work/jobs"
sink_pid=
app_started=
finish() {
  status=$?
  private_cupsd_stop
  [ -z "$app_started" ] || "$sandbox" stop "$work/app" || status=1
  stop_sink
  if [ $status -ne 0 ]; then
    echo "--- cupsd error_log (errors and the backend's requests)"
    grep -aE '^E |(Create-Job|Send-Document): ' "$work/log/error_log" 2> /dev/null | tail -n 40 || true
    echo "--- printer application log (last 40 lines)"; tail -n 40 "$work/app/printer-app.log" 2> /dev/null || true
    echo "--- stand-in printer"; cat "$work/sink.log" 2> /dev/null || true
  fi
  [ -n "${KEEP_CUPS_QUEUE_E2E:-}" ] && echo "kept $work" || rm -rf "$work"
  exit $status
}
trap finish EXIT

start_sink free "$work/out" "$work/sink.log"
app_port=$(free_port "$sink_port") || { echo "FAIL: no free port"; exit 1; }
app_started=yes
export TICKETPRESS_PRINTER_APP=$build/ticketpress-printer-app
"$sandbox" start "$app_port" "$work/app" "socket://127.0.0.1:$sink_port" > /dev/null
app_uri=ipp://127.0.0.1:$app_port/ipp/print/laser
# The printer as an older release kept it: three trays under the names it
# gave them, and the envelope feeder the default tray.
"$sandbox" stop "$work/app"
sed -i -E '/^media-col-/{s/source="manual"/source="manual-paper"/;s/source="alternate"/source="manual-env"/
  s/source="envelope"/source="env-feeder"/}
  /^media-col-default /s/source="[^"]*"/source="env-feeder"/' "$work/app/printer-app.state"
check "the kept state names the old trays" test "$(grep -c 'source="\(manual-paper\|manual-env\|env-feeder\)"' "$work/app/printer-app.state")" = 4
"$sandbox" resume "$app_port" "$work/app" > /dev/null

private_cupsd_start "$work" || { echo "FAIL: the private cupsd did not start"; exit 1; }
# lpadmin, lp and lpstat talk to the private cupsd over TCP, as a remote
# client would; lpadmin asks the application for what it can do and makes
# the queue's PPD from that.
export CUPS_SERVER=127.0.0.1:$cupsd_port
lpadmin -p laser -E -v "$app_uri" -m everywhere
# cupsd makes that PPD in a thread of its own after lpadmin has returned,
# and the thread changes the queue under any request that comes meanwhile
# (jobs without the PPD's filters and defaults, or a crashed cupsd): wait
# for its last word in the log, without asking cupsd.
log=$work/log/error_log
for _ in $(seq 100); do grep -qE 'Printer "laser" is now available|laser: PPD creation failed' "$log" && break; sleep 0.1; done
grep -qF 'Printer "laser" is now available.' "$log" || { echo "FAIL: cupsd made no PPD for the queue"; exit 1; }

# Every tray reaches the queue, the kept default among them; the kept trays
# hold their paper under the names the application offers.
lpoptions -p laser -l > "$work/lpoptions"
listed() {  # listed OPTION CHOICE...: the queue lists each choice of OPTION
  local line choice
  line=" $(sed -n "s/^$1\/[^:]*: //p" "$work/lpoptions") "
  for choice in "${@:2}"; do [[ $line == *" $choice "* ]] || return 1; done
}
check "lpoptions: every tray, the kept default the envelope feeder" \
  listed InputSlot Tray1 Tray2 Tray3 Tray4 Tray5 ByPassTray Manual Alternate '*Envelope'
check "lpoptions: the finishing presets Staple and Punch" listed cupsFinishingTemplate Staple Punch
cat > "$work/trays.test" <<'TEST'
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword requested-attributes media-col-ready,media-source-supported
  STATUS successful-ok
}
TEST
ipptool -tv "$app_uri" "$work/trays.test" > "$work/trays" 2>&1 || true
ready_sources() {
  sed -n 's/^ *media-col-ready ([^)]*) = //p' "$work/trays" | grep -o 'media-source=[a-z0-9-]*' | cut -d= -f2 | sort
}
supported_sources() {
  sed -n 's/^ *media-source-supported ([^)]*) = //p' "$work/trays" | tr ',' '\n' | grep -vx auto | sort
}
check "media-col-ready: paper in each offered tray" test "$(ready_sources)" = "$(supported_sources)"

# Each job has a title that names it at the stand-in printer.
labels=()
declare -A cups_ids
submit() {  # submit LABEL lp-arguments...
  local label=$1 id
  shift
  id=$(lp -d laser -t "$label" "$@" | sed -n 's/^request id is \(laser-[0-9]*\).*/\1/p')
  check "$label: queued by lp" test -n "$id"
  labels+=("$label")
  cups_ids[$label]=$id
}
letter=$source/data/letter-1page.pdf
a4=$source/data/a4-3pages.pdf
submit report -n 2 -o sides=two-sided-long-edge -o media=iso_a5_148x210mm -o output-bin=bin-2 "$a4"
submit mono -o print-color-mode=monochrome -o print-quality=5 "$letter"
# The queue's finishing presets, by CUPS's option and by the IPP name, and
# as lpoptions lists them, each with a tray it lists.
submit staple -o cupsFinishingTemplate=staple "$letter"
submit punch -o finishing-template=punch "$letter"
submit listed-staple -o cupsFinishingTemplate=Staple -o InputSlot=Manual "$letter"
submit listed-punch -o cupsFinishingTemplate=Punch -o InputSlot=Alternate "$letter"
submit envelope -o InputSlot=Envelope "$letter"
# A print dialog's PIN field.
submit pin -o job-password=1357 "$letter"

# cupsd's backend waits for the application to finish each job.
for _ in $(seq 600); do [ -z "$(lpstat -o laser 2> /dev/null)" ] && break; sleep 0.1; done
cups_completed=$(lpstat -W completed -o laser)

# The application's jobs as "NAME,STATE" lines.
cat > "$work/get-jobs.test" <<'TEST'
{
  OPERATION Get-Jobs
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword which-jobs all
  ATTR keyword requested-attributes job-name,job-state
  STATUS successful-ok
  DISPLAY job-name
  DISPLAY job-state
}
TEST
ipptool -c "$app_uri" "$work/get-jobs.test" > "$work/app-jobs"

# The stand-in printer writes the last job once the application is gone.
private_cupsd_stop
"$sandbox" stop "$work/app"
app_started=
stop_sink

# Each stream under its job's name, in parts: the PJL block before the
# PDF, the PDF up to the last-but-one end of job, and the ticket in the PDF
# as insertqfjt reads it.
declare -A streams_of
for out in "$work"/out/job-*.prn; do
  [ -e "$out" ] || continue
  label=$(sed -n 's/^@PJL JOB NAME = "\([A-Za-z-]*\).*/\1/p;T;q' "$out")
  streams_of[$label]=$((${streams_of[$label]:-0} + 1))
  cp "$out" "$work/jobs/${label:-unnamed}.prn"
done
stream() { echo "$work/jobs/$1.prn"; }
split_stream() {  # split_stream LABEL
  local out start end
  out=$(stream "$1")
  [ -e "$out" ] || : > "$out"
  start=$(grep -abo -m1 '%PDF-' "$out" | cut -d: -f1 || true)
  end=$(grep -abo '@PJL EOJ' "$out" | tail -n2 | head -n1 | cut -d: -f1 || true)
  head -c "${start:-0}" "$out" > "$out.pjl"
  head -c "${end:-0}" "$out" | tail -c +"$((${start:-0} + 1))" > "$out.pdf"
  "$build/insertqfjt" "$out.pdf" > "$out.ticket" 2> /dev/null || true
}
esc=$'\e'
uel=$esc%-12345X
closing=$uel$uel$'@PJL JOB\n@PJL QPORTROTATE\n@PJL EOJ\n'$uel
# Starts with the banner, holds one PDF, and ends with the closing PJL job.
whole() {
  local out
  out=$(stream "$1")
  [ "$(head -c 51 "$out")" = "$uel@PJL COMMENT Quorlan PDF PrintPath Filter" ] &&
    [ "$(grep -ac '%PDF-' "$out")" = 1 ] &&
    [ "$(tail -c ${#closing} "$out")" = "$closing" ]
}
pdf_checks() { qpdf --check "$(stream "$1").pdf" > /dev/null; }
ticket_is_xml() { xmllint --noout "$(stream "$1").ticket" 2> /dev/null; }
has_line() { grep -qaxF -- "$2" "$(stream "$1").pjl"; }
lacks() { ! grep -qaF -- "$2" "$(stream "$1").pjl"; }
ticket_has() { grep -qF -- "$2" "$(stream "$1").ticket"; }
pages_are() { [ "$(qpdf --show-npages "$(stream "$1").pdf")" = "$2" ]; }
# How many pages have the size in points, as pdfinfo rounds it.
pages_of_size() {  # pages_of_size LABEL WIDTH HEIGHT COUNT
  [ "$(pdfinfo -f 1 -l 999 "$(stream "$1").pdf" 2> /dev/null | grep -c "size: *$2\.[0-9]* x $3\.[0-9]* pts")" = "$4" ]
}
completed_in_cups() { grep -q "^${cups_ids[$1]} " <<< "$cups_completed"; }

for label in "${labels[@]}"; do
  split_stream "$label"
  check "$label: ${cups_ids[$label]} completed in cupsd" completed_in_cups "$label"
  check "$label: completed in the application" grep -qx "$label,completed" "$work/app-jobs"
  check "$label: one stream with its name" test "${streams_of[$label]:-0}" = 1
  check "$label: one whole job" whole "$label"
  check "$label: PDF passes qpdf --check" pdf_checks "$label"
  check "$label: ticket is well-formed XML" ticket_is_xml "$label"
done

# Copies are the printer's: one copy of each page in the PDF, the count in
# PJL. The queue's A5 is the family's A5, in the ticket and on the pages
# CUPS made, not a custom size.
check "report -n 2: two copies" has_line report '@PJL SET QTY = 2'
check "report -n 2: three pages in the PDF" pages_are report 3
check "report -n 2: one copy in the ticket" ticket_has report 'Copies="1"'
check "report: A5, long edge" ticket_has report 'StartPageNum="1" EndPageNum="3" PaperSize="A5" Duplex="Long Edge" '
check "report: three A5 pages" pages_of_size report 419 595 3
check "report: no custom paper" lacks report QCUSTOMPAPER
check "report output-bin bin-2: bin 2" ticket_has report 'OutputBin="2"'
# The queue says color and normal quality for every job: the printer's own
# colour setting and 600 dpi.
check "report: the printer's colour setting" lacks report QCOLORMODEL
check "report: 600 dpi" ticket_has report 'Resolution="600"'
check "mono print-color-mode monochrome: black only" has_line mono '@PJL SET QCOLORMODEL = BLACK'
check "mono print-quality 5: 1200 dpi" ticket_has mono 'Resolution="1200"'

check "staple preset: staple" ticket_has staple 'Staple="On"'
check "punch preset: punch" ticket_has punch 'HolePunch="On"'
ticket_lacks() { ! grep -qF -- "$2" "$(stream "$1").ticket"; }
check "punch preset: no staple" ticket_lacks punch 'Staple='
check "Staple as listed: staple" ticket_has listed-staple 'Staple="On"'
check "Punch as listed: punch" ticket_has listed-punch 'HolePunch="On"'
check "InputSlot Manual: the manual paper feed" ticket_has listed-staple 'PaperTray="Manual Paper"'
check "InputSlot Alternate: the manual envelope feed" ticket_has listed-punch 'PaperTray="Manual Envelope"'
check "InputSlot Envelope: the envelope feeder" ticket_has envelope 'PaperTray="Envelope Feeder"'
check "job-password: a private held job under the PIN" eval \
  'has_line pin "@PJL SET HOLDTYPE = PRIVATE" && has_line pin "@PJL SET HOLDKEY = \"1357\""'
check "job-password: the PIN nowhere but its HOLDKEY line" test "$(grep -aoF 1357 "$(stream pin)" | wc -l)" = 1

echo "$failures failed"
[ "$failures" -eq 0 ]
