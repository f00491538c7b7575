#!/usr/bin/env bash
# Builds Zorvik for 64-bit Windows on Debian 12 and packs it as a portable
# ZIP: bash scripts/windows.sh
# With --test (or ZORVIK_WINDOWS_TEST=1) it also builds the test suite for
# Windows and runs it under Wine, then tries the unpacked ZIP there as a
# user would; with --bench it prints the start-up figures under Wine. Qt and the speech libraries are built once per machine and
# kept in ${XDG_CACHE_HOME:-~/.cache}/zorvik-windows. The last line printed
# is the ZIP's path.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/windows/common.sh"

TEST=${ZORVIK_WINDOWS_TEST:-}
BENCH=""
for arg in "$@"; do
  case $arg in
    --test) TEST=1 ;;
    --bench) BENCH=1 ;;
    *) echo "usage: bash scripts/windows.sh [--test] [--bench]" >&2; exit 2 ;;
  esac
done

bash "$WIN_SCRIPTS/setup.sh"

qt=$(bash "$WIN_SCRIPTS/qt.sh")
speech=$(bash "$WIN_SCRIPTS/speech_libs.sh")

OUT="$ROOT/build-windows"
BUILD="$OUT/build"
mkdir -p "$OUT"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
win_log "building zorvik.exe and zorvik-speech.exe${TEST:+ with the tests}"
PKG_CONFIG_LIBDIR="$speech/lib/pkgconfig" cmake -S "$ROOT" -B "$BUILD" -G Ninja -Wno-dev \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(gcc -dumpmachine)/cmake" \
  -DCMAKE_FIND_ROOT_PATH="$speech" -DCMAKE_BUILD_TYPE=Release -DZORVIK_WERROR=ON "${launcher[@]}" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$WIN_SCRIPTS/wine-run.sh" \
  -DZORVIK_TESTS="$([ -n "$TEST" ] && echo ON || echo OFF)" \
  -DZORVIK_BENCH="$([ -n "$BENCH" ] && echo ON || echo OFF)" >"$OUT/configure.log" 2>&1 ||
  { tail -30 "$OUT/configure.log" >&2; exit 1; }
cmake --build "$BUILD" --parallel "$WIN_JOBS" >"$OUT/build.log" 2>&1 ||
  { grep -B2 -A12 -m5 'error' "$OUT/build.log" >&2 || tail -40 "$OUT/build.log" >&2; exit 1; }

version=$(sed -n 's/^project(zorvik VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
zip=$(bash "$WIN_SCRIPTS/deploy.sh" "$BUILD" "$qt" "$speech" "$(win_debian_source qt6-base)" \
  "$OUT" "zorvik-$version-windows-x64")

if [ -n "$TEST" ]; then
  bash "$WIN_SCRIPTS/test.sh" "$BUILD" "$qt" "$speech"
  xvfb-run -a -s "-screen 0 1920x1080x24" bash "$ROOT/tests/windows/smoke.sh" "$zip"
fi
if [ -n "$BENCH" ]; then
  bash "$WIN_SCRIPTS/bench.sh" "$BUILD" "$qt" >&2
fi
echo "$zip"
