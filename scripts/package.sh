#!/usr/bin/env bash
# Builds the Debian package into build-package/: the programs are built for
# the /usr prefix they are installed under; no tests, no benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTICKETPRESS_BUILD_TESTS=OFF -DTICKETPRESS_BUILD_BENCH=OFF
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack)
ls build-package/*.deb
