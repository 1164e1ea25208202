#!/usr/bin/env bash
# Installs what is missing, builds, and runs the filter on a bundled sample
# job with the real cups-filters pdftopdf, showing what the printer receives.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh ticketpress

out=build/sample-job.prn
options='com.apple.print.JobInfo.PMJobName=Quarterly<20>report com.apple.print.PrintSettings.PMCopies..n.=2'
echo
echo "== build/ticketpress 1001 alice 'Quarterly report' 2 '$options' data/a4-3pages.pdf"
DEVICE_URI=socket://printer.example:9100 \
  build/ticketpress 1001 alice "Quarterly report" 2 "$options" data/a4-3pages.pdf \
  > "$out" 2> build/sample-job.log || { cat build/sample-job.log; exit 1; }

# Show the stream with ESC as ^[, the PDF body summarised.
pdf_start=$(grep -abo '%PDF-' "$out" | head -n1 | cut -d: -f1)
eoj_start=$(grep -abo '@PJL EOJ' "$out" | tail -n2 | head -n1 | cut -d: -f1)
echo "== What the printer receives ($(stat -c %s "$out") bytes, saved in $out):"
head -c "$pdf_start" "$out" | cat -v
head -c "$eoj_start" "$out" | tail -c +"$((pdf_start + 1))" > build/sample-job.pdf
echo "[PDF: $((eoj_start - pdf_start)) bytes, $(qpdf --show-npages build/sample-job.pdf) pages, saved in build/sample-job.pdf]"
tail -c +"$((eoj_start + 1))" "$out" | cat -v
echo
