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
cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
[ -x "$cupsd" ] || { echo "FAIL: cupsd not installed"; exit 1; }

# CUPS refuses filters in folders that others may write to, so the test
# folder lives in the build tree, not in /tmp.
work=$(mktemp -d "$build/cupsd-e2e.XXXXXX")
chmod 755 "$work"
cupsd_pid=
finish() {
  status=$?
  if [ -n "$cupsd_pid" ]; then kill "$cupsd_pid" 2>/dev/null || true; wait "$cupsd_pid" 2>/dev/null || true; fi
  if [ $status -ne 0 ]; then
    echo "--- cupsd error_log (last 60 lines)"; tail -n 60 "$work/log/error_log" 2>/dev/null || true
  fi
  [ -n "${KEEP_CUPSD_E2E:-}" ] && echo "kept $work" || rm -rf "$work"
  exit $status
}
trap finish EXIT

mkdir -p "$work"/{conf,serverbin/filter,spool,cache,state,log,out,data/model/quorlan}
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
socket="$work/cups.sock"

cat > "$work/conf/cupsd.conf" <<CONF
Listen $socket
LogLevel debug
DefaultAuthType None
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat > "$work/conf/cups-files.conf" <<CONF
FileDevice Yes
ServerBin $work/serverbin
RequestRoot $work/spool
CacheDir $work/cache
StateDir $work/state
DataDir $work/data
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
User lp
Group lp
SystemGroup root
CONF

"$cupsd" -f -c "$work/conf/cupsd.conf" -s "$work/conf/cups-files.conf" &
cupsd_pid=$!
for _ in $(seq 100); do [ -S "$socket" ] && break; sleep 0.1; done
[ -S "$socket" ] || { echo "FAIL: cupsd did not start"; exit 1; }

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

echo "$failures failed"
[ "$failures" -eq 0 ]
