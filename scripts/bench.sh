#!/usr/bin/env bash
# Benchmarks the merge, the whole filter and the cover sheet against their
# floors (cp, cat | cat, a plain hex loop) and the peers (mutool run, qpdf),
# with peak memory, and writes a Markdown table to bench/results/.
#   scripts/bench.sh [--quick] [--build DIR]
# --quick: small inputs and few runs (seconds), to keep the benchmark
# working; its table goes to a temporary folder and no target is judged.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
quick=0
build=build-bench
while [ $# -gt 0 ]; do
  case $1 in
    --quick) quick=1; build=build ;;
    --build) build=$2; shift ;;
    *) echo "usage: scripts/bench.sh [--quick] [--build DIR]" >&2; exit 1 ;;
  esac
  shift
done
command -v hyperfine >/dev/null || { echo "bench: hyperfine is missing (scripts/install-deps.sh)" >&2; exit 1; }

# A new build folder is a Release build; any folder gets the bench targets.
configure=(-DTICKETPRESS_BUILD_BENCH=ON)
[ -f "$build/CMakeCache.txt" ] || configure+=(-DCMAKE_BUILD_TYPE=Release)
cmake -S . -B "$build" "${configure[@]}" >/dev/null
targets=(insertqfjt ticketpress coversheet hex_floor inner_loops_benchmark)
pkg-config --exists pappl && targets+=(ticketpress-printer-app)
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" >/dev/null
build=$(cd "$build" && pwd)

work=$(mktemp -d)
# Stand-in printers and printer applications, stopped by their process ids.
sinks=() apps=()
finish() {
  local dir
  for dir in "${apps[@]}"; do "$root/scripts/printer-app-sandbox.sh" stop "$dir" || true; done
  [ ${#sinks[@]} = 0 ] || kill -TERM "${sinks[@]}" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
cd "$work"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<FormJobTicket Version="1.0"/>\n' > ticket.xml
printf '#!/bin/sh\nexec cat "$6"\n' > pass-through
chmod +x pass-through
export TICKETPRESS_PDFTOPDF=$work/pass-through TMPDIR=$work

if [ $quick = 1 ]; then
  runs=(--warmup 1 --runs 3); big=5; huge=10; objects=(10000); sections_objects=10000
  cover=(612 792)
else
  runs=(--warmup 3 --runs 20); big=50; huge=500; objects=(10000 100000 1000000)
  sections_objects=1000000; cover=(2550 3300)
fi
merge="$build/insertqfjt"
filter="$build/ticketpress 1 bench job 1 ''"
: > cases.txt
: > rss.txt

# Runs hyperfine on a case: name, limit on the second command's ratio to
# the first (- for none), then label=command pairs; outputs are removed
# before every run so that each command writes a new file.
bench_case() {
  local name=$1 limit=$2; shift 2
  [ $quick = 1 ] && limit=-
  local labels=() commands=()
  for pair in "$@"; do labels+=("${pair%%=*}"); commands+=("${pair#*=}"); done
  echo "== $name" >&2
  hyperfine "${runs[@]}" --style basic --prepare 'rm -f out.*' --export-json "$name.json" \
    "${commands[@]}" >&2
  local joined
  joined=$(IFS=,; echo "${labels[*]}")
  printf '%s\t%s\t0\t%s\t%s\n' "$name" "$name.json" "$limit" "$joined" >> cases.txt
}

# Records the peak RSS of a command: what, limit in KB (or -), command.
peak_rss() {
  local what=$1 limit=$2; shift 2
  [ $quick = 1 ] && limit=-
  local kb
  kb=$(/usr/bin/time -f %M sh -c "$* > /dev/null" 2>&1 | tail -n1)
  echo "$what|$kb|$limit" >> rss.txt
  rm -f out.*
}

python3 "$root/bench/make_big_pdf.py" job.pdf "$big"
python3 "$root/bench/make_big_pdf.py" huge.pdf "$huge"
qpdf --object-streams=generate --compress-streams=n job.pdf job-xrefstm.pdf
bench_case "merge ${big} MB, classic table" 1.3 \
  "cp=cp job.pdf out.cp" "insertqfjt=$merge job.pdf out.pdf ticket.xml" \
  "mutool run=mutool run $root/bench/add_ticket.js job.pdf out.mutool ticket.xml" \
  "qpdf rewrite=qpdf job.pdf out.qpdf"
bench_case "merge ${big} MB, xref streams" 2 \
  "cp=cp job-xrefstm.pdf out.cp" "insertqfjt=$merge job-xrefstm.pdf out.pdf ticket.xml"
for n in "${objects[@]}"; do
  python3 "$root/bench/make_big_pdf.py" objects.pdf --objects "$n"
  peers=()
  [ "$n" -ge 1000000 ] && peers=("mutool run=mutool run $root/bench/add_ticket.js objects.pdf out.mutool ticket.xml")
  limit=-
  [ "$n" -ge 1000000 ] && limit=2
  bench_case "merge $n objects" "$limit" "cp=cp objects.pdf out.cp" \
    "insertqfjt=$merge objects.pdf out.pdf ticket.xml" "${peers[@]}"
  peak_rss "insertqfjt, $n objects" - "$merge objects.pdf out.pdf ticket.xml"
  [ "$n" -ge 1000000 ] && peak_rss "mutool run, $n objects" - \
    "mutool run $root/bench/add_ticket.js objects.pdf out.mutool ticket.xml"
done
python3 "$root/bench/make_big_pdf.py" sections.pdf --objects "$sections_objects" --sections 19
bench_case "merge $sections_objects objects, 19 sections" 2 \
  "cp=cp sections.pdf out.cp" "insertqfjt=$merge sections.pdf out.pdf ticket.xml"
rm -f objects.pdf sections.pdf
for size in "$big" "$huge"; do
  file=job.pdf
  [ "$size" = "$huge" ] && file=huge.pdf
  bench_case "filter $size MB" 3 "cat | cat=cat $file | cat > out.cat" \
    "ticketpress=$filter $file > out.prn"
done
# The filter with the real pdftopdf as its child against that pdftopdf
# alone, both as a CUPS queue runs them: with the queue's PPD, writing into
# a pipe that a backend (cat) drains; their messages are dropped.
pdftopdf=
for dir in "${CUPS_SERVERBIN:-/usr/lib/cups}" /usr/lib/cups /usr/libexec/cups; do
  [ -x "$dir/filter/pdftopdf" ] && { pdftopdf=$dir/filter/pdftopdf; break; }
done
[ -n "$pdftopdf" ] || { echo "bench: cups-filters' pdftopdf is missing" >&2; exit 1; }
child_sizes=(5 50); child_objects=100000
[ $quick = 1 ] && { child_sizes=(5); child_objects=10000; }
for size in "${child_sizes[@]}"; do
  python3 "$root/bench/make_big_pdf.py" "child-$size.pdf" "$size" 200
done
python3 "$root/bench/make_big_pdf.py" child-objects.pdf --objects "$child_objects" --referenced
for input in "${child_sizes[@]/%/ MB}" "$child_objects objects"; do
  file=child-objects.pdf
  [[ $input == *MB ]] && file="child-${input% MB}.pdf"
  bench_case "filter with pdftopdf, $input" 1.05 \
    "pdftopdf alone=PPD=$root/ppd/quorlan-pdf-laser.ppd $pdftopdf 1 bench job 1 '' $file 2>/dev/null | cat > /dev/null" \
    "ticketpress=PPD=$root/ppd/quorlan-pdf-laser.ppd TICKETPRESS_PDFTOPDF=$pdftopdf $filter $file 2>/dev/null | cat > /dev/null"
done
rm -f child-*.pdf

# The printer application, from submission to the last byte at a stand-in
# printer, against the same PDF sent to that printer straight. At loopback
# speed the application's receiving and spooling of a job is a second full
# transfer; at the 100 Mbit/s of the family's network port the printer's
# link is what a user waits for, and the target is judged there.
if [ -x "$build/ticketpress-printer-app" ]; then
  free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
  # Starts a stand-in printer (reading at RATE bytes a second, or at once)
  # and an application printing to it; sets sink_dir, sink_port and uri.
  start_printer() {  # start_printer NAME [RATE]
    sink_dir=$work/$1 sink_port=$(free_port)
    mkdir -p "$sink_dir"
    python3 "$root/bench/count_sink.py" "$sink_port" "$sink_dir" ${2:-} > "$sink_dir/pid" &
    sinks+=($!)
    while [ ! -s "$sink_dir/pid" ]; do sleep 0.05; done
    local port
    port=$(free_port)
    apps+=("$sink_dir/app")
    # Logging as the service does: warnings and errors only.
    TICKETPRESS_PRINTER_APP=$build/ticketpress-printer-app TICKETPRESS_PRINTER_APP_LOG_LEVEL=warn \
      "$root/scripts/printer-app-sandbox.sh" \
      start "$port" "$sink_dir/app" "socket://127.0.0.1:$sink_port" > /dev/null
    uri=ipp://127.0.0.1:$port/ipp/print/laser
  }
  client="bash $root/bench/app_client.sh"
  start_printer loopback
  one_page=$root/data/letter-1page.pdf
  for input in "1 page" "$big MB"; do
    file=$one_page
    [ "$input" = "$big MB" ] && file=job.pdf
    bench_case "printer app, $input" - "straight to the printer=$client direct $sink_port $file $sink_dir" \
      "through the app=$client app $uri $file $sink_dir"
  done
  clients=8 jobs=25
  [ $quick = 1 ] && { clients=2 jobs=5; }
  bench_case "printer app, $clients clients x $jobs jobs" - \
    "through the app=$client app $uri $one_page $sink_dir $clients $jobs"
  echo "$clients x $jobs|$((clients * jobs))|printer app, $clients clients x $jobs jobs.json" > throughput.txt
  start_printer link 12500000
  bench_case "printer app, $big MB, printer at 100 Mbit" 1.10 \
    "straight to the printer=$client direct $sink_port job.pdf $sink_dir" \
    "through the app=$client app $uri job.pdf $sink_dir"
fi

peak_rss "insertqfjt, $big MB" 32768 "$merge job.pdf out.pdf ticket.xml"
peak_rss "insertqfjt, $huge MB" 32768 "$merge huge.pdf out.pdf ticket.xml"
peak_rss "ticketpress, $big MB" 32768 "$filter job.pdf"
peak_rss "ticketpress, $huge MB" 32768 "$filter huge.pdf"
peak_rss "cp, $huge MB" - "cp huge.pdf out.cp"
rm -f huge.pdf
bench_case "cover sheet ${cover[0]} x ${cover[1]}" 2 \
  "plain hex loop=$build/hex_floor ${cover[0]} ${cover[1]} > out.hex" \
  "coversheet=$build/coversheet --resources $root/data/coversheet --width ${cover[0]} --height ${cover[1]} 'JRCSNAME=Ann<20>Lee JRCSCOMPANY=Bench JRCSCPAGES=3' > out.ps"

inner=(--benchmark_min_time=0.5)
[ $quick = 1 ] && inner=(--benchmark_min_time=0.01 --benchmark_filter='Hex|/10000$')
"$build/inner_loops_benchmark" "${inner[@]}" > inner_loops.txt

if [ $quick = 1 ]; then
  python3 "$root/bench/report.py" "$work" cases.txt quick.md
  cat quick.md
else
  out="$root/bench/results/results.md"
  python3 "$root/bench/report.py" "$work" cases.txt "$out"
  cat "$out"
fi
