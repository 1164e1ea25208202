#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once as usual and
# once more under a non-C locale, which must change nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  locale-gen >/dev/null
fi

bash scripts/build.sh
cd build
LC_ALL=de_DE.UTF-8 ctest -j "$(nproc)" --output-on-failure --timeout 120
ctest -j "$(nproc)" --output-on-failure --timeout 120
