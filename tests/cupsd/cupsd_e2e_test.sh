#!/usr/bin/env bash
# Runs jobs through a private cupsd with the built filter and PPD, to a
# file: device, and checks what the printer would have received.
#   cupsd_e2e_test.sh BUILD_DIR SOURCE_DIR
# Needs root (cupsd runs its filters as lp); exits 77 (skipped) otherwise.
set -euo pipefail
# lp and lpstat answer in the locale's language; the checks read English.
export LC_ALL=C

build=$(realpath "$1")
source=$(realpath "$2")
[ "$(id -u)" = 0 ] || { echo "SKIP: the private cupsd needs root"; exit 77; }
source "$source/tests/cupsd/private_cupsd.sh"

# CUPS refuses filters in folders that others may write to, so the test
# folder lives in the build tree, not in /tmp.
work=$(mktemp -d "$build/cupsd-e2e.XXXXXX")
chmod 755 "$work"
finish() {
  status=$?
  private_cupsd_stop
  if [ $status -ne 0 ]; then
    echo "--- cupsd error_log (last 60 lines)"; tail -n 60 "$work/log/error_log" 2>/dev/null || true
  fi
  [ -n "${KEEP_CUPSD_E2E:-}" ] && echo "kept $work" || rm -rf "$work"
  exit $status
}
trap finish EXIT

mkdir -p "$work"/{serverbin/filter,out,data/model/quorlan}
# The model folder holds the system's models and this project's PPD, as
# "cmake --install" leaves them, so that lpinfo -m and lpadmin -m find it.
for entry in /usr/share/cups/*; do
  [ "$(basename "$entry")" = model ] || ln -s "$entry" "$work/data/"
done
for entry in /usr/share/cups/model/*; do [ -e "$entry" ] && ln -s "$entry" "$work/data/model/"; done
cp "$source/ppd/quorlan-pdf-laser.ppd" "$work/data/model/quorlan/"
for entry in /usr/lib/cups/*; do
  [ "$(basename "$entry")" = filter ] || ln -s "$entry" "$work/serverbin/"
done
for f in /usr/lib/cups/filter/*; do ln -s "$f" "$work/serverbin/filter/"; done
install -m 0755 "$build/ticketpress" "$work/serverbin/filter/ticketpress"
chmod 0777 "$work/out"
private_cupsd_start "$work" "FileDevice Yes
ServerBin $work/serverbin
DataDir $work/data" || { echo "FAIL: the private cupsd did not start"; exit 1; }
socket=$cupsd_socket
# ipptool speaks IPP over TCP, to cupsd's port on the loopback address.
uri="ipp://127.0.0.1:$cupsd_port/printers/quorlan"

failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}

check "cupstestppd passes the PPD" env CUPS_SERVERBIN="$work/serverbin" cupstestppd -q "$source/ppd/quorlan-pdf-laser.ppd"
check "lpinfo -m lists the model" bash -c "lpinfo -h '$socket' -m | grep -q '^quorlan/quorlan-pdf-laser.ppd Quorlan PDF Laser'"
lpadmin -h "$socket" -p quorlan -E -v "file://$work/out/printer.prn" -m quorlan/quorlan-pdf-laser.ppd

# Submits a job and waits until CUPS says it is completed.
run_job() {  # run_job OUTPUT_NAME lp-arguments...
  local name=$1; shift
  rm -f "$work/out/printer.prn"
  local id
  id=$(lp -h "$socket" -d quorlan "$@" | sed -n 's/^request id is \(quorlan-[0-9]*\).*/\1/p')
  [ -n "$id" ] || { echo "FAIL: lp did not queue the job"; return 1; }
  for _ in $(seq 600); do
    lpstat -h "$socket" -W completed -o quorlan 2>/dev/null | grep -q "^$id " && break
    sleep 0.1
  done
  check "$name: job $id completed" bash -c "lpstat -h '$socket' -W completed -o quorlan | grep -q '^$id '"
  cp "$work/out/printer.prn" "$work/out/$name.prn" 2>/dev/null || true
}

# Submits a Print-Job with ipptool, as an IPP client does, with the given
# attribute lines in ipptool's syntax, and waits until the job has ended
# (a job whose filter fails is stopped, and the queue goes on). Sets job_id
# and job_state.
ipp_job() {  # ipp_job OUTPUT_NAME USER FILE [OPERATION_LINES [JOB_LINES]]
  local name=$1 user=$2 file=$3 operation=${4:-} template=${5:-}
  rm -f "$work/out/printer.prn"
  cat > "$work/print.test" <<TEST
{
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR name requesting-user-name $user
  ATTR mimeMediaType document-format application/pdf
  $operation
  GROUP job-attributes-tag
  $template
  FILE \$filename
  STATUS successful-ok
  DISPLAY job-id
}
TEST
  job_id=$(ipptool -t -f "$file" "$uri" "$work/print.test" | sed -n 's/.*job-id (integer) = \([0-9]*\).*/\1/p')
  [ -n "$job_id" ] || { echo "FAIL: $name: ipptool did not queue the job"; failures=$((failures + 1)); return 1; }
  job_state=
  for _ in $(seq 600); do
    job_state=$(job_attribute job-state)
    case $job_state in completed|aborted|canceled|processing-stopped) break ;; esac
    sleep 0.1
  done
  cp "$work/out/printer.prn" "$work/out/$name.prn" 2>/dev/null || true
}

# One attribute of job_id, as Get-Job-Attributes gives it.
job_attribute() {  # job_attribute NAME
  cat > "$work/get-job.test" <<TEST
{
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR integer job-id $job_id
  ATTR keyword requested-attributes $1
  STATUS successful-ok
  DISPLAY $1
}
TEST
  ipptool -t "$uri" "$work/get-job.test" | sed -n "s/.*$1 ([^)]*) = //p"
}

# The PDF between the PJL block and the end of job, checked by qpdf.
pdf_is_valid() {
  local stream=$1 pdf=$1.pdf start end
  start=$(grep -abo '%PDF-' "$stream" | head -n1 | cut -d: -f1)
  end=$(grep -abo '@PJL EOJ' "$stream" | tail -n2 | head -n1 | cut -d: -f1)
  head -c "$end" "$stream" | tail -c +"$((start + 1))" > "$pdf"
  qpdf --check "$pdf" > /dev/null
}

has_line() { grep -qaxF -- "$2" "$1"; }

# The ticket embedded in the stream's PDF, read back by insertqfjt.
ticket_of() { "$build/insertqfjt" "$1.pdf"; }
ticket_has() { ticket_of "$1" | grep -qF -- "$2"; }

run_job held \
  -o PrintTo=JRConf -o JRUSERNAME=alice -o JRHOLDKEY=1234 \
  -o "com.apple.print.JobInfo.PMJobName=Held<20>report" \
  -o com.apple.print.PrintSettings.PMPrimaryPaperFeed..a.1=Tray1 -o InputSlot=Tray2 \
  -o TonerDarkness=8 -o media=Custom.612x1000 \
  "$source/data/a4-3pages.pdf"
out="$work/out/held.prn"
check "held: starts with UEL and banner" bash -c "head -c 51 '$out' | grep -qaF '@PJL COMMENT Quorlan PDF PrintPath Filter'"
check "held: job name" has_line "$out" '@PJL JOB NAME = "Held report"'
check "held: PDF is valid" pdf_is_valid "$out"
check "held: closing PJL job" has_line "$out" '@PJL QPORTROTATE'
check "held: custom paper width" has_line "$out" '@PJL SET QCUSTOMPAPERWIDTH = 8.50'
check "held: custom paper height" has_line "$out" '@PJL SET QCUSTOMPAPERHEIGHT = 13.89'
check "held: density" has_line "$out" '@PJL SET DENSITY = 3'
check "held: user" has_line "$out" '@PJL SET USERNAME = "alice"'
check "held: PIN" has_line "$out" '@PJL SET HOLDKEY = "1234"'
check "held: one copy from PJL" has_line "$out" '@PJL SET QTY = 1'
check "held: ticket names the job" ticket_has "$out" '<QuorlanFormJobTicket JobName="Held report" >'
check "held: first page from tray 1" ticket_has "$out" '<PageAttribRange StartPageNum="1" EndPageNum="1" PaperTray="Tray 1" '

run_job finishing \
  -o StapleJob=TrueM -o HolePunch=3Hole -o OutputBin=Bin2 -o MediaType=Card -o media=A4 \
  -o com.apple.print.PrintSettings.PMCopies..n.=2 "$source/data/letter-1page.pdf"
out="$work/out/finishing.prn"
check "finishing: copies from PJL" has_line "$out" '@PJL SET QTY = 2'
check "finishing: PDF is valid" pdf_is_valid "$out"
check "finishing: ticket attributes" ticket_has "$out" 'PaperSize="A4" MediaType="Card Stock" HolePunch="3-Hole" Staple="On" OutputBin="2" Copies="1">'

# A job from a Linux client: no macOS keys, standard options only.
run_job linux -t "Linux job" -n 3 -o sides=two-sided-long-edge -o media=iso_a4_210x297mm \
  -o InputSlot=Tray2 "$source/data/a4-3pages.pdf"
out="$work/out/linux.prn"
check "linux: job name from the title" has_line "$out" '@PJL JOB NAME = "Linux job"'
check "linux: copies from the command line" has_line "$out" '@PJL SET QTY = 3'
check "linux: no custom paper" bash -c "! grep -qa QCUSTOMPAPER '$out'"
check "linux: PDF is valid" pdf_is_valid "$out"
check "linux: ticket with pages, tray, paper and duplex" ticket_has "$out" \
  '<PageAttribRange StartPageNum="1" EndPageNum="3" PaperTray="Tray 2" PaperSize="A4" Duplex="Long Edge" '
check "linux: page log counts 9 impressions" grep -q " total 9 .*Linux job" "$work/log/page_log"

# An administrator's queue default reaches a job that does not name it.
lpadmin -h "$socket" -p quorlan -o TonerDarkness-default=8
run_job queue-default "$source/data/letter-1page.pdf"
out="$work/out/queue-default.prn"
check "queue default: density" has_line "$out" '@PJL SET DENSITY = 3'
check "queue default: PDF is valid" pdf_is_valid "$out"
check "queue default: toner saver off in the ticket" ticket_has "$out" 'TonerSaver="Off" '

# IPP clients (phones, Windows, ChromeOS, other CUPS servers) reach every
# feature through standard job attributes.
letter=$source/data/letter-1page.pdf
contains() { [[ $1 == *"$2"* ]]; }
not_contains() { local text=$1; shift; for part; do [[ $text != *"$part"* ]] || return 1; done; }
lacks() { ! grep -qaF -- "$2" "$1"; }
# The ticket of a printed stream has text (the PDF is checked on the way).
printed_with() { pdf_is_valid "$1" && ticket_has "$1" "$2"; }
printed_without() { pdf_is_valid "$1" && ! ticket_has "$1" "$2"; }

attributes=$(ipptool -tv "$uri" get-printer-attributes.test)
advertises() { grep -qE -- "$1" <<< "$attributes"; }
check "IPP: job-password-supported 4" advertises 'job-password-supported \(integer\) = 4$'
check "IPP: job-password-encryption-supported none" advertises 'job-password-encryption-supported \(keyword\) = none$'
check "IPP: job-accounting-user-id-supported" advertises 'job-accounting-user-id-supported \(boolean\) = true'
check "IPP: staple finishings" advertises 'finishings-supported .*[=,]staple(,|$)'
check "IPP: punch finishings" advertises 'finishings-supported .*[=,]punch(,|$)'
check "IPP: three qualities" advertises 'print-quality-supported \(1setOf enum\) = draft,normal,high'

ipp_job pin carol "$letter" 'ATTR octetString job-password "2468"
  ATTR keyword job-password-encryption none'
out="$work/out/pin.prn"
check "PIN: job $job_id completed" test "$job_state" = completed
check "PIN: held under the job's user" has_line "$out" '@PJL SET USERNAME = "carol"'
check "PIN: private hold" has_line "$out" '@PJL SET HOLDTYPE = PRIVATE'
check "PIN: its key" has_line "$out" '@PJL SET HOLDKEY = "2468"'
check "PIN: nowhere else in the stream" test "$(grep -ac 2468 "$out")" = 1
check "PIN: PDF is valid" pdf_is_valid "$out"

ipp_job pin-accounting carol "$letter" 'ATTR octetString job-password "1357"
  ATTR name job-accounting-user-id acct-42'
out="$work/out/pin-accounting.prn"
check "PIN and accounting user: held under acct-42" has_line "$out" '@PJL SET USERNAME = "acct-42"'
check "PIN and accounting user: its key" has_line "$out" '@PJL SET HOLDKEY = "1357"'

# macOS sends every PPD choice, PrintTo=JRPrinter among them: a PIN still holds the job.
ipp_job pin-mac carol "$letter" 'ATTR octetString job-password "8642"' \
  'ATTR name com.apple.print.JobInfo.PMJobName "Mac job"
  ATTR keyword PrintTo JRPrinter'
out="$work/out/pin-mac.prn"
check "PIN from macOS: job name" has_line "$out" '@PJL JOB NAME = "Mac job"'
check "PIN from macOS: held under its key" has_line "$out" '@PJL SET HOLDKEY = "8642"'

for refused in 'job-password "12ab"' 'job-password "123"' 'job-password "2468"
  ATTR keyword job-password-encryption md5'; do
  ipp_job refused carol "$letter" "ATTR octetString $refused"
  what="refused ${refused%%$'\n'*}"
  check "$what: job $job_id stopped by the filter" test "$job_state" = processing-stopped
  check "$what: nothing printed" test ! -s "$work/out/refused.prn"
  # cupsd may set the job's message a moment after its state.
  for _ in $(seq 50); do
    message=$(job_attribute job-printer-state-message)
    contains "$message" 'PIN (job-password)' && break
    sleep 0.1
  done
  check "$what: the job says why" contains "$message" 'PIN (job-password)'
  check "$what: not with the PIN" not_contains "$message" '12ab' '2468'
done

for finishings in 4 5 4,5; do
  ipp_job "finishings-$finishings" carol "$letter" '' "ATTR enum finishings $finishings"
  out="$work/out/finishings-$finishings.prn"
  if [[ $finishings == *4* ]]; then staple=printed_with; else staple=printed_without; fi
  if [[ $finishings == *5* ]]; then punch=printed_with; else punch=printed_without; fi
  check "finishings $finishings: staple as asked" $staple "$out" 'Staple="On"'
  check "finishings $finishings: punch as asked" $punch "$out" 'HolePunch="On"'
done

run_job plain "$letter"
check "plain lp job: no colour line" lacks "$work/out/plain.prn" QCOLORMODEL
check "plain lp job: the queue's resolution" printed_with "$work/out/plain.prn" 'Resolution="600"'
run_job monochrome -o print-color-mode=monochrome "$letter"
check "monochrome: black only" has_line "$work/out/monochrome.prn" '@PJL SET QCOLORMODEL = BLACK'
run_job quality-3 -o print-quality=3 "$letter"
check "print-quality 3: resolution 300" printed_with "$work/out/quality-3.prn" 'Resolution="300"'
run_job quality-5 -o print-quality=5 "$letter"
check "print-quality 5: resolution 1200" printed_with "$work/out/quality-5.prn" 'Resolution="1200"'
run_job resolution -o printer-resolution=1200dpi "$letter"
check "printer-resolution 1200dpi: resolution 1200" printed_with "$work/out/resolution.prn" 'Resolution="1200"'
run_job source-and-type -o media-source=tray-2 -o media-type=cardstock "$letter"
check "media-source tray-2: tray 2" printed_with "$work/out/source-and-type.prn" 'PaperTray="Tray 2"'
check "media-type cardstock: card stock" printed_with "$work/out/source-and-type.prn" 'MediaType="Card Stock"'
run_job bypass -o media-source=by-pass-tray "$letter"
check "media-source by-pass-tray: the multipurpose feeder" printed_with "$work/out/bypass.prn" 'PaperTray="MP Feeder"'

# A queue whose PPD predates the finishings keywords passes finishings raw.
grep -v '^\*cupsIPPFinishings' "$source/ppd/quorlan-pdf-laser.ppd" > "$work/old.ppd"
lpadmin -h "$socket" -p old -E -v "file://$work/out/printer.prn" -P "$work/old.ppd" 2> /dev/null
rm -f "$work/out/printer.prn"
lp -h "$socket" -d old -o finishings=4,5 "$letter" > /dev/null
for _ in $(seq 600); do [ -z "$(lpstat -h "$socket" -o old 2> /dev/null)" ] && break; sleep 0.1; done
cp "$work/out/printer.prn" "$work/out/old.prn" 2> /dev/null || true
check "PPD without finishings keywords, finishings 4,5: staple" printed_with "$work/out/old.prn" 'Staple="On"'
check "PPD without finishings keywords, finishings 4,5: punch" printed_with "$work/out/old.prn" 'HolePunch="On"'

echo "$failures failed"
[ "$failures" -eq 0 ]
