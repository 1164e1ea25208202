#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan (the asan preset) and runs the whole test suite there; the
# corpus replays of fuzz/ included. Any sanitizer report fails its test.
# The programs are linked with libcrypt: AddressSanitizer's crypt()
# interceptor looks for the real function when the program starts, and PAM
# loads libcrypt only later, when it checks a password (the interceptor then
# calls a null pointer).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset asan
cmake --build --preset asan -j "$(nproc)"
ctest --preset asan -j "$(nproc)"
