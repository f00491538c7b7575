#!/usr/bin/env bash
# Configures and builds Zorvik into build/ (or $BUILD_DIR), passing any
# extra arguments on to CMake.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
# A compiler cache, where the machine has one, makes rebuilds of other
# checkouts and build types cheap.
LAUNCHER=()
# Paths under the checkout's parent are hashed relative to it, so another
# checkout of the same tree finds its objects cached.
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$ROOT")}" CCACHE_NOHASHDIR=1
fi
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja "${LAUNCHER[@]}" "$@" >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
