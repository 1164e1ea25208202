#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite once under
# a German locale (which must change nothing) and once as usual, then a
# fresh install and package build (tests/install/install_test.sh), the whole
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer, each
# fuzz target for a short while, and the quick form of the benchmarks.
#   scripts/test.sh [--quick]
# --quick: for day-to-day work, only builds and runs the suite once, in the
# usual locale.
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
[ $# -le 1 ] || set -- bad
case ${1:-} in
  --quick) quick=1 ;;
  "") ;;
  *) echo "usage: scripts/test.sh [--quick]" >&2; exit 1 ;;
esac
bash scripts/install-deps.sh

if [ $quick = 1 ]; then
  bash scripts/build.sh
  cd build
  exec ctest -j "$(nproc)" --output-on-failure --timeout 300
fi

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  locale-gen >/dev/null
fi

bash scripts/build.sh
(
  cd build
  LC_ALL=de_DE.UTF-8 ctest -j "$(nproc)" --output-on-failure --timeout 300
  ctest -j "$(nproc)" --output-on-failure --timeout 300
)

# Builds the programs again in a new build folder, so once here, not in ctest.
echo "== Install and package"
bash tests/install/install_test.sh build .
echo "== Sanitizers"
bash scripts/sanitize.sh
echo "== Fuzzing"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
echo "== Benchmarks (quick form; times are not judged)"
bash scripts/bench.sh --quick
