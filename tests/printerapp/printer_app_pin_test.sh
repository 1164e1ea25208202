#!/usr/bin/env bash
# Held jobs with a PIN through the printer application, as phones and
# driverless clients print them: PDF and PWG raster, a PIN the printer
# cannot take, a printer that is away across a restart, and raster jobs
# that wait in the queue behind another job or on their own hold. The
# application logs at the level the service runs at (warn), and no PIN
# may be left in any file of its folder, nor shown to any client.
#   printer_app_pin_test.sh BUILD_DIR SOURCE_DIR
# Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail
export LC_ALL=C

build=$(realpath "$1")
source=$(realpath "$2")
. "$source/tests/printerapp/printer_app_test_lib.sh"
require_tools python3 ipptool ss gs
app=$build/ticketpress-printer-app
[ -x "$app" ] || { echo "FAIL: $app is not built"; exit 1; }
sandbox=$source/scripts/printer-app-sandbox.sh
export TICKETPRESS_PRINTER_APP=$app TICKETPRESS_PRINTER_APP_LOG_LEVEL=warn

work=$(mktemp -d "$build/printer-app-pin.XXXXXX")
dir=$work/app
# The stand-in printer's folder: another after it was away.
out=$work/out
sink_pid=
finish() {
  status=$?
  PRINTER_APP_STOP_TIMEOUT=5 "$sandbox" stop "$dir" 2> /dev/null || true
  stop_sink
  if [ $status -ne 0 ]; then
    echo "--- $dir/printer-app.log (last 30 lines)"; tail -n 30 "$dir/printer-app.log" 2> /dev/null || true
  fi
  [ -n "${KEEP_PRINTER_APP_PIN:-}" ] && echo "kept $work" || rm -rf "$work"
  exit $status
}
trap finish EXIT

start_sink free "$out" "$work/sink.log"
printer_port=$sink_port
port=$(free_port "$printer_port") || { echo "FAIL: no free port"; exit 1; }
"$sandbox" start "$port" "$dir" "socket://127.0.0.1:$printer_port" > /dev/null
uri=ipp://127.0.0.1:$port/ipp/print/laser
pdf=$source/data/letter-1page.pdf

# A two-page PWG raster, as a phone sends one.
cat > "$work/page.ps" <<'PS'
%!PS
0 0 1 setrgbcolor 50 300 450 100 rectfill showpage
0.5 setgray 100 100 300 300 rectfill showpage
PS
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pwgraster -r100 -dcupsColorSpace=19 -dcupsBitsPerColor=8 \
  -sOutputFile="$work/page.pwg" "$work/page.ps" 2> /dev/null

# Prints FILE as FORMAT under NAME, as USER, with a PIN in the operation
# attributes as CUPS sends it, and job attribute lines; says the status
# and the job id.
pin_print() {  # pin_print NAME FILE FORMAT PIN [USER [JOB_LINES [OPERATION_LINES]]]
  cat > "$work/$1.test" <<TEST
{
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR name requesting-user-name ${5:-alice}
  ATTR name job-name $1
  ATTR mimeMediaType document-format $3
  ${4:+ATTR octetString job-password $4}
  ${7:-}
  GROUP job-attributes-tag
  ${6:-}
  FILE $2
  DISPLAY job-id
}
TEST
  ipptool -tv "$uri" "$work/$1.test" 2> /dev/null |
    sed -n 's/^ *status-code = \([a-z-]*\).*/\1/p;s/.*job-id (integer) = \([0-9]*\).*/\1/p' | tr '\n' ' ' || true
}
# The job id in what pin_print said.
id_from() { local words=($1); echo "${words[1]:-}"; }

# Every attribute of job ID that USER can read.
job_attributes() {  # job_attributes ID USER
  cat > "$work/get-all.test" <<'TEST'
{
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR integer job-id $job
  ATTR name requesting-user-name $user
  ATTR keyword requested-attributes all
  STATUS successful-ok
}
TEST
  ipptool -tv -d job="$1" -d user="$2" "$uri" "$work/get-all.test" 2> /dev/null
}
streams() { index_streams "$out"; }
pjl_of() {  # pjl_of NAME: the PJL block of the job's stream
  local stream
  stream=$(stream_named "$out" "$1")
  sed -n '/^%PDF-/q;p' "$stream" 2> /dev/null
}
held_under() {  # held_under NAME PIN: a private held job under PIN
  local pjl
  pjl=$(pjl_of "$1")
  grep -qx '@PJL SET HOLD = ON' <<< "$pjl" && grep -qx '@PJL SET HOLDTYPE = PRIVATE' <<< "$pjl" &&
    grep -qx "@PJL SET HOLDKEY = \"$2\"" <<< "$pjl"
}
# Files of the application's folder holding TEXT.
files_holding() { grep -rlaF "$1" "$dir" 2> /dev/null || true; }
no_file_holds() { [ -z "$(files_holding "$1")" ]; }

# What the printer says it takes.
cat > "$work/gpa.test" <<'TEST'
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  STATUS successful-ok
  EXPECT job-password-supported OF-TYPE integer WITH-VALUE 8
  EXPECT job-password-encryption-supported OF-TYPE keyword WITH-VALUE none
  EXPECT job-password-repertoire-configured WITH-VALUE iana_us-ascii_digits
}
TEST
check "the printer offers PINs of up to 8 digits, sent as they are" ipptool -q "$uri" "$work/gpa.test"

# A PDF job with a PIN: held at the printer under it, the PIN nowhere else.
answer=$(pin_print confidential "$pdf" application/pdf 2468)
pin_id=$(id_from "$answer")
check "a PIN job is accepted ($answer)" test "${answer%% *}" = successful-ok
# PINs the printer cannot take, and one sent encrypted.
refused_ids=()
for pin in 12ab 123; do
  refused_ids+=("$(id_from "$(pin_print "bad-pin-$pin" "$pdf" application/pdf "$pin")")")
done
refused_ids+=("$(id_from "$(pin_print encrypted-pin "$pdf" application/pdf 2468 alice '' \
  'ATTR keyword job-password-encryption sha-256')")")
# PWG raster with a PIN, and one the client holds itself.
raster_pin_id=$(id_from "$(pin_print raster-pin "$work/page.pwg" image/pwg-raster 1357)")
held_id=$(id_from "$(pin_print raster-held "$work/page.pwg" application/octet-stream '' bob \
  'ATTR keyword job-hold-until indefinite')")
check "a PWG raster job waits on its own hold" wait_for 10 job_is "$uri" "$held_id" pending-held
check "the PIN jobs and the refused ones end" wait_for 60 jobs_ended "$uri" "$pin_id" "${refused_ids[@]}" "$raster_pin_id"
streams
check "PDF: a private held job under its PIN" held_under confidential 2468
check "the PIN is in the job's stream once, its PJL HOLDKEY line" \
  test "$(grep -aoF 2468 "$(stream_named "$out" confidential)" | wc -l)" = 1
for user in alice mallory; do
  check "Get-Job-Attributes as $user shows no PIN" \
    eval '! job_attributes "$pin_id" $user | grep -qE "2468|job-password \("'
done
check "PWG raster: a private held job under its PIN" held_under raster-pin 1357
for id in "${refused_ids[@]}"; do
  check "job $id with an unusable PIN is aborted with a reason" failed_with_reason "$uri" "$id"
  check "job $id: its reason does not show the PIN" eval '! job_status "$uri" "$id" | grep -qE "12ab|123|2468"'
done
check "nothing of a job with an unusable PIN reached the printer" \
  test "$(streams_named "$out" bad-pin-12ab)$(streams_named "$out" bad-pin-123)$(streams_named "$out" encrypted-pin)" = 000
cat > "$work/release.test" <<'TEST'
{
  OPERATION Release-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR integer job-id $job
  ATTR name requesting-user-name bob
  STATUS successful-ok
}
TEST
check "the held raster job is released" ipptool -q -d job="$held_id" "$uri" "$work/release.test"
check "and then prints" wait_for 30 job_is "$uri" "$held_id" completed

# The printer goes away: a PIN job waits for it across a restart, and a
# raster job sent meanwhile waits its turn behind it.
stop_sink
waiting_id=$(id_from "$(pin_print waiting-pin "$pdf" application/pdf 8642)")
check "the PIN job waits for the absent printer" wait_for 20 job_is "$uri" "$waiting_id" processing
answer=$(pin_print raster-behind "$work/page.pwg" image/pwg-raster '' bob)
behind_id=$(id_from "$answer")
check "a PWG raster job sent while another prints is accepted ($answer)" test "${answer%% *}" = successful-ok
pins_file=$dir/printer-app.state.pins
check "the waiting PIN is kept in a file only root reads" test "$(stat -c '%U %a' "$pins_file" 2> /dev/null)" = "root 600"
check "and not in clear" no_file_holds 8642
"$sandbox" stop "$dir"
out=$work/out-again
start_sink "$printer_port" "$out" "$work/sink-again.log"
"$sandbox" resume "$port" "$dir" > /dev/null
check "after the restart both jobs print" wait_for 90 jobs_ended "$uri" "$waiting_id" "$behind_id"
check "the waiting job completed" job_is "$uri" "$waiting_id" completed
check "the raster job completed" job_is "$uri" "$behind_id" completed
streams
check "the waiting job is held under its PIN" held_under waiting-pin 8642
# The sink numbers its streams in the order they came.
stream_number() { basename "$(stream_named "$out" "$1")" .prn | tr -dc 0-9; }
check "the raster job reached the printer after it" \
  test "$(stream_number waiting-pin)" -lt "$(stream_number raster-behind)"
check "no job was aborted but those with an unusable PIN" \
  test "$(all_job_states "$uri" | grep -c ',aborted$')" = "${#refused_ids[@]}"
check "no PIN is left in the application's folder" eval 'no_file_holds 2468 && no_file_holds 1357 && no_file_holds 8642 && ! [ -e "$pins_file" ]'

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "PASS"
