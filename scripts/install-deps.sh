#!/usr/bin/env bash
# Installs the Debian 12 packages that ticketpress needs to build, run and
# test, skipping those already present. Run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config dpkg-dev
  libcups2-dev zlib1g-dev libpappl-dev
  libcairo2-dev libfontconfig-dev libfreetype-dev fonts-liberation fonts-urw-base35
  libgtest-dev libgmock-dev libbenchmark-dev
  cups cups-filters cups-ipp-utils qpdf poppler-utils ghostscript libxml2-utils mupdf-tools
  locales time hyperfine
  chromium
  clang libclang-rt-14-dev libxml2-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
