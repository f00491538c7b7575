#!/usr/bin/env bash
# Installs what is missing, fails on a C++ file that is not formatted,
# builds Zorvik with its tests, with AddressSanitizer and UndefinedBehavior-
# Sanitizer, and runs every test once: the unit and widget tests, the
# program under Xvfb, and the fuzz targets of the table file loader, the
# profile file and the speech service's request parser. Each fuzz target
# replays its sample files and tries a few thousand new inputs (5,000 runs
# each), the same inputs on every machine: enough to catch a parser change
# that breaks on a known shape, while the long searches are left to
# scripts/fuzz.sh, which without FUZZ_RUNS draws new inputs for as long as
# it is given. Arguments go on to CMake after these defaults, so
# -DZORVIK_SANITIZE=OFF gives a plain build.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
# Every C++ file as .clang-format has it; scripts/format.sh formats them.
bash "$ROOT/scripts/format.sh" --check
export BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
# Warnings fail the build here, as in CI; a packager's build only shows them.
# The sanitizers catch what a test that passes does not show (a read past
# an end, a use after free); the benchmarks build in CI's Release build.
bash "$ROOT/scripts/build.sh" -DZORVIK_WERROR=ON -DZORVIK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  -DZORVIK_BENCH=OFF "$@"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
# A sanitizer build reports leaks; system libraries' own are not ours.
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# GCC 12's sanitizer runtime mistakes a thread-local block that lands at
# page offset 16 for one with a pre-2.25 glibc header, reads an address
# range from the words before it, and its leak check then dies reading that
# range ("Tracer caught signal 11") after every test has passed. Whether it
# happens hinges on where an allocation lands, so any change can bring it
# on. Left untracked, those blocks are only the thread-locals of libraries
# loaded at run time, and none of ours hold the last pointer to anything.
export ASAN_OPTIONS="intercept_tls_get_addr=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
# Tests that start the real program need a display; give them one.
xvfb-run -a -s "-screen 0 1920x1080x24" \
  ctest --test-dir "$BUILD_DIR" --output-on-failure -j 2 --timeout 600
if [ -z "${ZORVIK_SKIP_FUZZ:-}" ] && [ -f "$ROOT/scripts/fuzz.sh" ]; then
  FUZZ_RUNS="${FUZZ_RUNS:-5000}" bash "$ROOT/scripts/fuzz.sh" 300
fi
