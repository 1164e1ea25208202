#!/usr/bin/env bash
# Runs PDF jobs through the printer application, as an IPP client sends
# them, to a stand-in printer on a raw socket, and checks every job's
# stream: PJL block, ticket, PDF, and that each job arrives whole and alone.
#   printer_app_e2e_test.sh BUILD_DIR SOURCE_DIR
# Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail
export LC_ALL=C

build=$(realpath "$1")
source=$(realpath "$2")
. "$source/tests/printerapp/printer_app_test_lib.sh"
require_tools python3 ipptool qpdf xmllint ss curl pdfinfo pdftoppm gs
for program in ticketpress-printer-app ticketpress insertqfjt; do
  [ -x "$build/$program" ] || { echo "FAIL: $build/$program is not built"; exit 1; }
done
sandbox=$source/scripts/printer-app-sandbox.sh

work=$(mktemp -d "$build/printer-app-e2e.XXXXXX")
mkdir "$work/out" "$work/jobs"
sink_pid=
app_started=
finish() {
  status=$?
  [ -z "$app_started" ] || "$sandbox" stop "$work/app" || status=1
  stop_sink
  if [ $status -ne 0 ]; then
    echo "--- printer application log (last 60 lines)"; tail -n 60 "$work/app/printer-app.log" 2> /dev/null || true
    echo "--- stand-in printer"; cat "$work/sink.log" 2> /dev/null || true
  fi
  [ -n "${KEEP_PRINTER_APP_E2E:-}" ] && echo "kept $work" || rm -rf "$work"
  exit $status
}
trap finish EXIT

start_sink free "$work/out" "$work/sink.log"
app_port=$(free_port "$sink_port") || { echo "FAIL: no free port"; exit 1; }

app_started=yes
TICKETPRESS_PRINTER_APP=$build/ticketpress-printer-app \
  "$sandbox" start "$app_port" "$work/app" "socket://127.0.0.1:$sink_port" > /dev/null
uri=ipp://127.0.0.1:$app_port/ipp/print/laser
# The same printer through the application's local socket.
local_uri=$(local_printer_uri "$work/app")

attributes=$(ipptool -tv "$uri" get-printer-attributes.test)
advertises() { grep -qE -- "$1" <<< "$attributes"; }
check "IPP: document-format-supported has application/pdf" advertises 'document-format-supported \(.*\) = (.*,)?application/pdf(,|$)'
check "IPP: finishings-supported staple" advertises 'finishings-supported \(.*\) = (.*,)?staple(,|$)'
check "IPP: finishings-supported punch" advertises 'finishings-supported \(.*\) = (.*,)?punch(,|$)'
check "IPP: media-source-supported tray-2" advertises 'media-source-supported \(.*\) = (.*,)?tray-2(,|$)'
check "IPP: output-bin-supported bin-2" advertises 'output-bin-supported \(.*\) = (.*,)?bin-2(,|$)'
check "IPP: print-quality-supported draft,normal,high" advertises 'print-quality-supported \(1setOf enum\) = draft,normal,high$'
check "IPP: printer-resolution-supported 300, 600, 1200 dpi" advertises 'printer-resolution-supported \(1setOf resolution\) = 300dpi,600dpi,1200dpi$'
check "IPP: job-creation-attributes-supported has quorlan-toner-darkness" advertises 'job-creation-attributes-supported \(.*\) = (.*,)?quorlan-toner-darkness(,|$)'
check "IPP: page-ranges-supported" advertises 'page-ranges-supported \(boolean\) = true$'

# Jobs go in held and are released together, as a busy printer gets them,
# each to the printer on a connection of its own. PAPPL starts the newest
# of jobs released together first, so each job has a job-name that begins
# with its label, to be found by.
printer_operation() {  # printer_operation OPERATION
  cat > "$work/operation.test" <<TEST
{
  OPERATION $1
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  STATUS successful-ok
}
TEST
  ipptool -q "$local_uri" "$work/operation.test"
}
labels=()
job_ids=()
declare -A refused refused_why
refused_count=0
submit() {  # [format=MIME_TYPE] submit LABEL FILE [JOB_LINES [NAME_LINES]]
  local label=$1 file=$2 template=${3:-}
  local names=${4:-"ATTR name requesting-user-name alice
  ATTR name job-name $label"}
  cat > "$work/jobs/$label.test" <<TEST
{
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  $names
  ATTR mimeMediaType document-format ${format:-application/pdf}
  GROUP job-attributes-tag
  $template
  FILE \$filename
  STATUS successful-ok
  DISPLAY job-id
}
TEST
  local id
  id=$(${refusable:+timeout 5} ipptool -t -f "$file" "$uri" "$work/jobs/$label.test" | sed -n 's/.*job-id (integer) = \([0-9]*\).*/\1/p') || true
  [ -n "${refusable:-}" ] && { last_id=$id; return; }
  check "$label: job queued" test -n "$id"
  labels+=("$label")
  job_ids+=("${id:-0}")
}

letter=$source/data/letter-1page.pdf
a4=$source/data/a4-3pages.pdf
esc=$'\e'
submit plain "$letter"
check "Hold-New-Jobs" printer_operation Hold-New-Jobs
submit Report "$a4" 'ATTR integer copies 2
  ATTR keyword sides two-sided-long-edge
  ATTR keyword media iso_a4_210x297mm
  ATTR enum finishings 4
  ATTR keyword output-bin bin-2
  ATTR keyword media-source tray-2
  ATTR keyword quorlan-toner-darkness 8' 'ATTR name requesting-user-name carol
  ATTR name job-name Report'
submit staple-punch "$letter" 'ATTR enum finishings 4,5'
submit punch "$letter" 'ATTR enum finishings 5'
submit bin "$letter" 'ATTR keyword output-bin bin-7'
submit tray-and-type "$letter" 'ATTR keyword media-source by-pass-tray
  ATTR keyword media-type cardstock'
submit media-col "$a4" 'ATTR collection media-col {
    MEMBER keyword media-size-name iso_a5_148x210mm
    MEMBER keyword media-source tray-3
    MEMBER keyword media-type labels
  }'
submit custom-size "$letter" 'ATTR collection media-col {
    MEMBER collection media-size {
      MEMBER integer x-dimension 12700
      MEMBER integer y-dimension 17780
    }
  }'
submit short-edge "$a4" 'ATTR keyword sides two-sided-short-edge'
submit monochrome "$letter" 'ATTR keyword print-color-mode monochrome'
submit color "$letter" 'ATTR keyword print-color-mode color'
submit draft "$letter" 'ATTR enum print-quality 3'
submit high "$letter" 'ATTR enum print-quality 5'
submit resolution "$letter" 'ATTR resolution printer-resolution 300dpi'
submit copies "$letter" 'ATTR integer copies 3'
submit pages "$a4" 'ATTR rangeOfInteger page-ranges 2-3'
submit darkness "$letter" 'ATTR keyword quorlan-toner-darkness 8'
submit landscape "$letter" 'ATTR enum orientation-requested 4'
submit fit "$letter" 'ATTR keyword print-scaling fit
  ATTR keyword media iso_a4_210x297mm'
# In ipptool's strings \" is a quote and \n a new line; ESC goes in as is.
submit hostile "$letter" '' "ATTR name requesting-user-name \"eve\\\"\\n@PJL SET QTY = 99\\n$esc%-12345X@PJL ENTER LANGUAGE = PCL\"
  ATTR name job-name \"hostile\\\"\\n@PJL SET DENSITY = 5\\n$esc%-12345X@PJL COMMENT Quorlan PDF PrintPath Filter\\n<x>&amp;'\""

check "Release-Held-New-Jobs" printer_operation Release-Held-New-Jobs

job_states() { all_job_states "$uri"; }
# Every job made has ended: the labelled ones and the refused ones.
ended() { [ "$(job_states | grep -cE ',(completed|aborted|canceled)$')" = $((${#labels[@]} + refused_count)) ]; }
for _ in $(seq 600); do ended && break; sleep 0.1; done

# Raster documents, as phones and driverless clients send them, made by
# Ghostscript from a two-page PostScript sample, and images: each page must
# render as the pixels that were sent. They go after the held jobs.
cat > "$work/sample.ps" <<'PS'
%!PS
<< /PageSize [595 842] >> setpagedevice
/Helvetica findfont 48 scalefont setfont
1 0 0 setrgbcolor 50 600 200 150 rectfill 0 0.6 0 setrgbcolor 300 600 200 150 rectfill
0 0 1 setrgbcolor 50 300 450 100 rectfill 0 setgray 60 200 moveto (Page one) show showpage
0.5 setgray 100 100 300 300 rectfill 0 setgray 60 700 moveto (Page two) show showpage
PS
cat > "$work/quadrants.ps" <<'PS'
%!PS
1 0 0 setrgbcolor 0 150 200 150 rectfill 0 1 0 setrgbcolor 200 150 200 150 rectfill
0 0 1 setrgbcolor 0 0 200 150 rectfill 0 0 0 setrgbcolor 200 0 200 150 rectfill showpage
PS
ghostscript() { gs -q -dNOPAUSE -dBATCH -dSAFER "$@" 2> /dev/null; }
pwg() {  # pwg NAME COLOUR_SPACE [GS_OPTIONS...]: 100 dpi, 8 bits
  ghostscript -sDEVICE=pwgraster -r100 -dcupsColorSpace="$2" -dcupsBitsPerColor=8 "${@:3}" \
    -sOutputFile="$work/$1.pwg" "$work/sample.ps"
}
pwg raster-rgb 19 -dDuplex
pwg raster-grey 18 -dDuplex -dTumble
pwg raster-black 3
ghostscript -sDEVICE=pwgraster -r100 -sOutputFile="$work/raster-1bit.pwg" "$work/sample.ps"
ghostscript -sDEVICE=pwgraster -r50 -dcupsColorSpace=19 -dcupsBitsPerColor=16 \
  -sOutputFile="$work/raster-16bit.pwg" "$work/sample.ps"
head -c "$(($(stat -c %s "$work/raster-rgb.pwg") * 3 / 4))" "$work/raster-rgb.pwg" > "$work/raster-cut.pwg"
ghostscript -sDEVICE=ppmraw -r100 -sOutputFile="$work/sample-%d.ppm" "$work/sample.ps"
ghostscript -sDEVICE=pgmraw -r100 -sOutputFile="$work/sample-%d.pgm" "$work/sample.ps"
ghostscript -sDEVICE=jpeg -g400x300 -r72 -sOutputFile="$work/quadrants.jpg" "$work/quadrants.ps"
ghostscript -sDEVICE=png16m -g400x300 -r72 -sOutputFile="$work/quadrants.png" "$work/quadrants.ps"
format=image/pwg-raster submit raster-rgb "$work/raster-rgb.pwg"
format=image/pwg-raster submit raster-grey "$work/raster-grey.pwg"
format=image/pwg-raster submit raster-black "$work/raster-black.pwg"
format=image/jpeg submit jpeg "$work/quadrants.jpg" 'ATTR integer copies 2'
format=image/png submit png "$work/quadrants.png"
for _ in $(seq 600); do ended && break; sleep 0.1; done
# Raster the application cannot print as it was sent is accepted, and its
# job ends with a reason and nothing for the printer.
newest_job() { job_states | cut -d, -f1 | sort -n | tail -n 1; }
job_message() {  # job_message ID: the job-state-message a client reads
  cat > "$work/get-message.test" <<TEST
{
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR integer job-id $1
  ATTR name requesting-user-name alice
  STATUS successful-ok
  DISPLAY job-state-message
}
TEST
  ipptool -tv "$uri" "$work/get-message.test" | sed -n 's/.*job-state-message (textWithoutLanguage) = //p'
}
refuse() {  # refuse LABEL FILE
  local before
  before=$(newest_job)
  format=image/pwg-raster refusable=yes submit "$1" "$2"
  refused[$1]=${last_id:-$(newest_job)}
  refused_count=$((refused_count + 1))
  check "$1: a job was made" test "${refused[$1]}" != "$before"
}
refuse raster-1bit "$work/raster-1bit.pwg"
refuse raster-cut "$work/raster-cut.pwg"
refuse raster-16bit "$work/raster-16bit.pwg"

# Defaults that an administrator sets (here over the local socket) reach
# the jobs that do not say otherwise, the family settings' among them. A
# client follows its job without a password; the pages that change
# settings ask for one.
check "Set-Printer-Attributes: colour mode and toner darkness defaults" change_defaults "$local_uri"
submit defaults "$letter"
for _ in $(seq 600); do ended && break; sleep 0.1; done
for label in "${!refused[@]}"; do refused_why[$label]=$(job_message "${refused[$label]}"); done
cat > "$work/get-job.test" <<TEST
{
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR integer job-id ${job_ids[-1]}
  ATTR name requesting-user-name alice
  STATUS successful-ok
  EXPECT job-state
}
TEST
check "a client reads its job without a password" ipptool -q "$uri" "$work/get-job.test"
web_status() { curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$app_port$1"; }
check "the printing defaults page asks for a password" test "$(web_status /laser/printing)" = 401
check "the printer's status page does not" test "$(web_status /laser)" = 200
job_states > "$work/job-states"
# The stand-in printer writes the last job once the connection closes.
count=${#labels[@]}
for _ in $(seq 100); do [ -e "$work/out/job-$count.prn" ] && break; sleep 0.1; done
"$sandbox" stop "$work/app"
app_started=
stop_sink
streams=$(find "$work/out" -name 'job-*.prn' | wc -l)
check "each of the $count jobs reached the printer as a file of its own ($streams files)" test "$streams" = "$count"
connections=$(grep -c '^sink: connection' "$work/sink.log" || true)
# A job is confirmed by the printer closing its connection: one each.
check "each job came on a connection of its own ($count jobs, $connections connections)" test "$connections" = "$count"

# A job's stream in parts: the PJL block before the PDF, the PDF up to the
# last-but-one end of job, and the ticket in the PDF as insertqfjt reads it.
stream() { echo "$work/jobs/$1.prn"; }
split_stream() {  # split_stream LABEL
  local out start end
  out=$(stream "$1")
  start=$(grep -abo -m1 '%PDF-' "$out" | cut -d: -f1)
  end=$(grep -abo '@PJL EOJ' "$out" | tail -n2 | head -n1 | cut -d: -f1)
  head -c "${start:-0}" "$out" > "$out.pjl"
  head -c "${end:-0}" "$out" | tail -c +"$((${start:-0} + 1))" > "$out.pdf"
  "$build/insertqfjt" "$out.pdf" > "$out.ticket" 2> /dev/null || true
}
# After the opening UEL, only "@PJL ..." lines, and no ESC.
pjl_lines_only() {
  local pjl
  pjl=$(stream "$1").pjl
  ! grep -qa "$esc" <(tail -c +10 "$pjl") && ! grep -qav '^@PJL ' <(tail -c +10 "$pjl")
}
pdf_checks() { qpdf --check "$(stream "$1").pdf" > /dev/null; }
ticket_is_xml() { xmllint --noout "$(stream "$1").ticket" 2> /dev/null; }
has_line() { grep -qaxF -- "$2" "$(stream "$1").pjl"; }
lacks() { ! grep -qaF -- "$2" "$(stream "$1").pjl"; }
ticket_has() { grep -qF -- "$2" "$(stream "$1").ticket"; }
ticket_lacks() { ! grep -qF -- "$2" "$(stream "$1").ticket"; }
pages_are() { [ "$(qpdf --show-npages "$(stream "$1").pdf")" = "$2" ]; }
# The page texts of the sample PDFs, in the PDF with its streams
# uncompressed (in a file: grep -q would cut qpdf's output short).
shows() {
  local pdf
  pdf=$(stream "$1").pdf
  qpdf --qdf --object-streams=disable "$pdf" "$pdf.qdf" && grep -qaF -- "($2)" "$pdf.qdf"
}
not_shows() { ! shows "$@"; }

# Each stream under its job's label: the job name up to the first
# character that no label has.
declare -A streams_of
for out in "$work"/out/job-*.prn; do
  [ -e "$out" ] || continue
  label=$(sed -n 's/^@PJL JOB NAME = "\([A-Za-z-]*\).*/\1/p;T;q' "$out")
  streams_of[$label]=$((${streams_of[$label]:-0} + 1))
  cp "$out" "$(stream "${label:-unnamed}")"
done
for k in "${!labels[@]}"; do
  label=${labels[k]}
  [ -e "$(stream "$label")" ] || : > "$(stream "$label")"
  split_stream "$label"
  check "$label: job ${job_ids[k]} completed" grep -qx "${job_ids[k]},completed" "$work/job-states"
  check "$label: one stream with its name" test "${streams_of[$label]:-0}" = 1
  check "$label: one whole job, alone in its file" whole_and_alone "$(stream "$label")"
  check "$label: PJL block of PJL lines only" pjl_lines_only "$label"
  check "$label: PDF passes qpdf --check" pdf_checks "$label"
  check "$label: ticket is well-formed XML" ticket_is_xml "$label"
done

# Each feature, as the PJL block and the ticket say it.
check "plain: one copy" has_line plain '@PJL SET QTY = 1'
check "plain: the user" has_line plain '@PJL SET USERNAME = "alice"'
check "plain: the printer's colour setting" lacks plain QCOLORMODEL
check "plain: the printer's toner darkness" lacks plain DENSITY
check "plain: one page in the ticket" ticket_has plain '<PageAttribRange StartPageNum="1" EndPageNum="1" '
check "finishings 4,5: staple" ticket_has staple-punch 'Staple="On"'
check "finishings 4,5: punch" ticket_has staple-punch 'HolePunch="On"'
check "finishings 5: punch" ticket_has punch 'HolePunch="On"'
check "finishings 5: no staple" ticket_lacks punch 'Staple='
check "output-bin bin-7: bin 7" ticket_has bin 'OutputBin="7"'
check "media-source by-pass-tray: the multipurpose feeder" ticket_has tray-and-type 'PaperTray="MP Feeder"'
check "media-type cardstock: card stock" ticket_has tray-and-type 'MediaType="Card Stock"'
check "media-col: A5 from tray 3, labels" ticket_has media-col 'PaperTray="Tray 3" PaperSize="A5" MediaType="Labels"'
check "media-col: all three pages" ticket_has media-col 'StartPageNum="1" EndPageNum="3" '
check "custom size: inches" has_line custom-size '@PJL SET QCUSTOMPAPERUNITS = INCHES'
check "custom size: 5 inches wide" has_line custom-size '@PJL SET QCUSTOMPAPERWIDTH = 5.00'
check "custom size: 7 inches high" has_line custom-size '@PJL SET QCUSTOMPAPERHEIGHT = 7.00'
check "sides two-sided-short-edge: short edge" ticket_has short-edge 'Duplex="Short Edge"'
check "print-color-mode monochrome: black only" has_line monochrome '@PJL SET QCOLORMODEL = BLACK'
check "print-color-mode color: the printer's setting" lacks color QCOLORMODEL
check "print-quality draft: 300 dpi" ticket_has draft 'Resolution="300"'
check "print-quality high: 1200 dpi" ticket_has high 'Resolution="1200"'
check "printer-resolution 300dpi: 300 dpi" ticket_has resolution 'Resolution="300"'
check "copies 3: made by the printer" has_line copies '@PJL SET QTY = 3'
check "copies 3: one copy in the ticket" ticket_has copies 'Copies="1"'
check "page-ranges 2-3: two pages" pages_are pages 2
check "page-ranges 2-3: page 2" shows pages 'A4 page 2 of 3'
check "page-ranges 2-3: page 3" shows pages 'A4 page 3 of 3'
check "page-ranges 2-3: not page 1" not_shows pages 'A4 page 1 of 3'
check "page-ranges 2-3: the ticket's pages" ticket_has pages 'StartPageNum="1" EndPageNum="2" '
check "quorlan-toner-darkness 8: density 3" has_line darkness '@PJL SET DENSITY = 3'
check "changed defaults: black only" has_line defaults '@PJL SET QCOLORMODEL = BLACK'
page_info() { pdfinfo "$(stream "$1").pdf" 2> /dev/null | grep -q -- "$2"; }
check "orientation-requested 4: the page turned" page_info landscape 'Page rot: *270'
check "print-scaling fit, A4: an A4 page" page_info fit 'Page size: *595.* x 841.*'
check "print-scaling fit, A4: A4 in the ticket" ticket_has fit 'PaperSize="A4"'
check "changed defaults: density 3" has_line defaults '@PJL SET DENSITY = 3'

# Raster and images: pages as sent, and what the raster says of the job.
render() {  # render LABEL RESOLUTION [PDFTOPPM_OPTIONS...]
  pdftoppm -r "$2" "${@:3}" "$(stream "$1").pdf" "$work/$1"
}
render raster-rgb 100
render raster-grey 100 -gray
render raster-black 100 -gray
render jpeg 30
render png 30
match() { python3 "$source/tests/printerapp/image_match.py" "$@"; }
for page in 1 2; do
  check "raster-rgb: page $page as sent" match same "$work/raster-rgb-$page.ppm" "$work/sample-$page.ppm"
  check "raster-grey: page $page as sent" match same "$work/raster-grey-$page.pgm" "$work/sample-$page.pgm"
  check "raster-black: page $page as sent" match same "$work/raster-black-$page.pgm" "$work/sample-$page.pgm"
done
check "raster-rgb: two pages" pages_are raster-rgb 2
check "raster-rgb: A4 and long edge, as the raster says" ticket_has raster-rgb 'PaperSize="A4" Duplex="Long Edge"'
check "raster-grey: short edge, as the raster says" ticket_has raster-grey 'Duplex="Short Edge"'
check "raster-black: one-sided" ticket_lacks raster-black 'Duplex='
check "jpeg: the image on the page" match quadrants "$work/jpeg-1.ppm"
check "png: the image on the page" match quadrants "$work/png-1.ppm"
check "jpeg: copies 2, made by the printer" has_line jpeg '@PJL SET QTY = 2'
check "jpeg: the image once" pages_are jpeg 1
for label in "${!refused[@]}"; do
  id=${refused[$label]}
  check "$label: job $id aborted" grep -qx "$id,aborted" "$work/job-states"
  check "$label: nothing reached the printer" test "${streams_of[$label]:-0}" = 0
done
check "raster-16bit: the client reads why" test "${refused_why[raster-16bit]}" = 'Only 8-bit grey or RGB raster pages can be printed'
check "raster-1bit: the client reads why" test "${refused_why[raster-1bit]}" = 'Only 8-bit grey or RGB raster pages can be printed'
check "raster-cut: the client reads why" test "${refused_why[raster-cut]}" = 'The raster data ended inside page 2'

# A client's names must not add a PJL line or a UEL (see the checks of
# every job above), nor break the ticket's XML. With the quoted values
# masked, the PJL block reads as that of a job with plain names.
masked() { sed -E 's/"[^"]*"/"..."/g' "$(stream "$1").pjl"; }
same_block_as_plain() { [ "$(masked hostile)" = "$(masked plain)" ]; }
check "hostile names: the PJL block of a plain job" same_block_as_plain
no_line_starting() { ! grep -qa "^$2" "$(stream "$1").pjl"; }
check "hostile names: no density line" no_line_starting hostile '@PJL SET DENSITY'
check "hostile names: no language switch" no_line_starting hostile '@PJL ENTER'
check "hostile names: one copy" has_line hostile '@PJL SET QTY = 1'
# The job name as an XML parser reads it back from the ticket.
ticket_name=$(xmllint --xpath 'string(/QuorlanFormJobTicket/@JobName)' "$(stream hostile).ticket" 2> /dev/null || true)
starts_with() { [[ $1 == "$2"* ]]; }
ends_with() { [[ $1 == *"$2" ]]; }
check "hostile names: the ticket keeps the quote" starts_with "$ticket_name" 'hostile"'
check "hostile names: the ticket keeps <, >, & and '" ends_with "$ticket_name" "<x>&amp;'"

# The same job through the CUPS filter, with the options a macOS client
# sends a queue for it, and a PDF-to-PDF filter that passes the file on:
# both front ends must send the printer the same bytes.
printf '#!/bin/sh\nexec cat "$6"\n' > "$work/pass-through.sh"
chmod +x "$work/pass-through.sh"
options='com.apple.print.JobInfo.PMJobName=Report com.apple.print.PrintSettings.PMCopies..n.=2 com.apple.print.PrintSettings.PMDuplexing..n.=2 com.apple.print.PrintSettings.PMPrimaryPaperFeed..a.1=Tray2 com.apple.print.PrintSettings.PMTotalBeginPages..n.=3 InputSlot=Tray2 media=A4 StapleJob=TrueM OutputBin=Bin2 TonerDarkness=8'
TICKETPRESS_PDFTOPDF=$work/pass-through.sh "$build/ticketpress" 7 carol Report 2 "$options" "$a4" \
  > "$work/filter.prn" 2> "$work/filter.log" || echo "ticketpress failed: $(tail -n 3 "$work/filter.log")"
check "Report: the CUPS filter's bytes, byte for byte" cmp "$work/filter.prn" "$(stream Report)"
check "Report: density 3" has_line Report '@PJL SET DENSITY = 3'
check "Report: two copies" has_line Report '@PJL SET QTY = 2'
check "Report: the user" has_line Report '@PJL SET USERNAME = "carol"'
check "Report: the job's name" has_line Report '@PJL JOB NAME = "Report"'
check "Report: tray 2, A4, long edge, staple" ticket_has Report \
  'StartPageNum="1" EndPageNum="3" PaperTray="Tray 2" PaperSize="A4" Duplex="Long Edge" Staple="On" '
check "Report: bin 2" ticket_has Report 'OutputBin="2"'

echo "$failures failed"
[ "$failures" -eq 0 ]
