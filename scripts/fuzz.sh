#!/usr/bin/env bash
# Builds the fuzzers of the grid file, of the profile file and of the speech
# service's request parser with clang
# (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) into build-fuzz/
# (or $FUZZ_BUILD_DIR) and runs each for the given number of seconds
# (default 60) on a copy of its sample files. Exits non-zero when a fuzzer
# finds a fault; the input that caused it is left in the build folder.
# With FUZZ_RUNS set, each fuzzer stops after that many inputs, drawn in
# the fixed order numbered FUZZ_ORDER (default 1): every such run tries the
# same inputs. Without it, every run draws new ones.
# Per-input leak checks are off: Qt's font caches grow on purpose and the
# scans would cut the run rate several times over.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SECONDS_TO_RUN="${1:-60}"
REPEAT=()
if [ -n "${FUZZ_RUNS:-}" ]; then
  REPEAT=(-runs="$FUZZ_RUNS" -seed="${FUZZ_ORDER:-1}")
  # Qt's hashes are salted per process; the same salt keeps the same path.
  export QT_HASH_SEED=0
fi
BUILD="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"

LAUNCHER=()
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$ROOT")}" CCACHE_NOHASHDIR=1
fi
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${LAUNCHER[@]}" \
  -DZORVIK_FUZZ=ON -DZORVIK_TESTS=ON -DZORVIK_BENCH=OFF -DZORVIK_SPEECH=OFF >/dev/null
cmake --build "$BUILD" --target fuzz_grid_file fuzz_profile fuzz_speech_request -j "$(nproc)"

# Every input is written to a file first; keep that off the disk when we can.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR="${TMPDIR:-/dev/shm}"; fi
CORPUS="$(mktemp -d)"
PROFILE_CORPUS="$(mktemp -d)"
REQUEST_CORPUS="$(mktemp -d)"
RUNTIME="$(mktemp -d)"
trap 'rm -rf "$CORPUS" "$PROFILE_CORPUS" "$REQUEST_CORPUS" "$RUNTIME"' EXIT
cp "$ROOT"/tests/fuzz/corpus/* "$CORPUS"/
cp "$ROOT"/tests/fuzz/profile_corpus/* "$PROFILE_CORPUS"/
cp "$ROOT"/tests/fuzz/request_corpus/* "$REQUEST_CORPUS"/
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$ROOT/tests/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  chmod 700 "$RUNTIME"
  export XDG_RUNTIME_DIR="$RUNTIME"
fi
cd "$BUILD"
"$BUILD/tests/fuzz/fuzz_grid_file" -max_total_time="$SECONDS_TO_RUN" -max_len=8192 \
  -timeout=10 -rss_limit_mb=4096 -detect_leaks=0 -print_final_stats=1 "${REPEAT[@]}" "$CORPUS"
"$BUILD/tests/fuzz/fuzz_profile" -max_total_time="$SECONDS_TO_RUN" -max_len=4096 \
  -timeout=10 -rss_limit_mb=4096 -detect_leaks=0 -print_final_stats=1 "${REPEAT[@]}" "$PROFILE_CORPUS"
# The service reads at most 16 KiB of request head.
"$BUILD/tests/fuzz/fuzz_speech_request" -max_total_time="$SECONDS_TO_RUN" -max_len=16384 \
  -timeout=10 -rss_limit_mb=4096 -detect_leaks=0 -print_final_stats=1 "${REPEAT[@]}" "$REQUEST_CORPUS"
