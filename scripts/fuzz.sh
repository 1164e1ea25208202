#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each one in
# turn for SECONDS_PER_TARGET seconds (default 60). Each starts from its
# working corpus in build-fuzz/corpus/<target>/, which gets the committed
# seeds of fuzz/corpus/<target>/ and keeps what earlier runs found, so the
# repository's corpus is never touched. A crash, leak, timeout or sanitizer
# report leaves its input in build-fuzz/findings/<target>/ and makes the
# script exit non-zero once every target has run. Installs nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTICKETPRESS_FUZZ=ON -DTICKETPRESS_BUILD_TESTS=OFF >/dev/null

# A target whose libraries this machine lacks (kept_state needs PAPPL) is
# not in the build: it is left out, said so.
known=$(cmake --build build-fuzz --target help)
targets=()
for folder in fuzz/corpus/*/; do
  t=$(basename "$folder")
  if grep -qw "fuzz_$t" <<< "$known"; then
    targets+=("$t")
  else
    echo "== fuzz_$t is not built here; left out"
  fi
done
build_targets=()
for t in "${targets[@]}"; do build_targets+=(--target "fuzz_$t"); done
cmake --build build-fuzz -j "$(nproc)" "${build_targets[@]}" >/dev/null

failed=()
for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  findings=build-fuzz/findings/$t
  log=build-fuzz/logs/$t.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  cp -p fuzz/corpus/"$t"/* "$corpus"/
  echo "== fuzz_$t for ${seconds}s (log: $log)"
  if build-fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$findings"/ "$corpus" >"$log" 2>&1; then
    grep -E '(DONE|^stat::)' "$log" || true
  else
    tail -n 40 "$log"
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings in: ${failed[*]} (inputs in build-fuzz/findings/)"
  exit 1
fi
