#!/usr/bin/env bash
# Times the whole filter against a plain copy of the same job, and records
# its peak memory, for jobs of 50 MB and 500 MB. The child filter is a
# pass-through (cat), so the figures are the filter's own cost.
#   bench/filter_throughput.sh [BUILD_DIR] [SIZES_MB...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
sizes=(50 500)
[ $# -gt 0 ] && sizes=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '#!/bin/sh\nexec cat "$6"\n' > "$work/pass-through"
chmod +x "$work/pass-through"

best_of_3() {  # prints the best wall time in seconds of three runs of "$@"
  local best=
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N); "$@"; end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-1e9}" | awk '{t = $2 - $1; print (t < $3 ? t : $3)}')
  done
  echo "$best"
}

echo "size_mb copy_s filter_s ratio filter_peak_rss_kb"
for mb in "${sizes[@]}"; do
  job="$work/job-$mb.pdf"
  python3 bench/make_big_pdf.py "$job" "$mb"
  copy=$(best_of_3 sh -c "cat '$job' | cat > '$work/out'")
  filter=$(best_of_3 sh -c "TICKETPRESS_PDFTOPDF='$work/pass-through' TMPDIR='$work' \
    '$build/ticketpress' 1 bench job 1 '' '$job' > '$work/out'")
  rss=$(TICKETPRESS_PDFTOPDF="$work/pass-through" TMPDIR="$work" \
    /usr/bin/time -f %M "$build/ticketpress" 1 bench job 1 '' "$job" 2>&1 >/dev/null | tail -n1)
  echo "$mb $copy $filter $(awk "BEGIN {printf \"%.2f\", $filter / $copy}") $rss"
  rm -f "$job"
done
