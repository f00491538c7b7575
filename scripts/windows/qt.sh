#!/usr/bin/env bash
# Builds Qt's base modules for Windows from Debian's own qt6-base source,
# once per Qt version, compiler and option set; prints the install prefix.
set -euo pipefail
source "$(dirname "$0")/common.sh"

QT_OPTIONS=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DQT_BUILD_MANUAL_TESTS=OFF
  # The program needs Core, Gui, Widgets, Network and (for its tests) Test.
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF
  -DFEATURE_icu=OFF -DFEATURE_openssl=OFF -DFEATURE_glib=OFF
  -DFEATURE_fontconfig=OFF -DFEATURE_sql_sqlite=OFF
  # No OpenGL at all. 6.4.2's Windows plug-in still reaches for
  # QOpenGLContext while dynamic GL is on, so every GL flavour is off.
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF
  -DFEATURE_dynamicgl=OFF -DFEATURE_opengl_desktop=OFF -DFEATURE_opengles2=OFF
  # 6.4.2 builds the DirectWrite font database only with Direct2D but its
  # Windows plug-in asks for it with DirectWrite 3 alone: keep all of them
  # off and draw text with GDI.
  -DFEATURE_direct2d=OFF -DFEATURE_direct2d1_1=OFF
  -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF
  # Qt's own copies of the libraries it bundles.
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_system_md4c=OFF
)

prefix_name="qt-$QT_WIN_VERSION-$(win_toolchain_id)-$(win_digest "${QT_OPTIONS[@]}")"
prefix="$WIN_CACHE/$prefix_name"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

src=$(win_debian_source qt6-base)
# Debian's source leaves out the tablet headers the Windows plug-in includes.
# Wine's development headers carry the same interface, written with two of
# Wine's own macros and without the API calling-convention name.
wintab="$src/src/3rdparty/wintab"
mkdir -p "$wintab"
cp /usr/include/wine/wine/windows/wintab.h "$wintab/wine_wintab.h"
cp /usr/include/wine/wine/windows/pktdef.h "$wintab/pktdef.h"
cat >"$wintab/wintab.h" <<'H'
#pragma once
#include <windows.h>
#ifndef WINELIB_NAME_AW
#ifdef UNICODE
#define WINELIB_NAME_AW(name) name##W
#else
#define WINELIB_NAME_AW(name) name##A
#endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
#define API WINAPI
#endif
#include "wine_wintab.h"
H

build="$WIN_CACHE/build/$prefix_name"
rm -rf "$prefix.partial"
mkdir -p "$build"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# A build cut short goes on where it stopped.
if [ ! -f "$build/build.ninja" ]; then
  win_log "configuring Qt $QT_WIN_VERSION for Windows in $build"
  cmake -S "$src" -B "$build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(gcc -dumpmachine)/cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix.partial" "${launcher[@]}" "${QT_OPTIONS[@]}" >"$build/configure.log" 2>&1 ||
    { tail -40 "$build/configure.log" >&2; rm -f "$build/build.ninja"; exit 1; }
fi

# Refuse a configuration that hits the two known 6.4.2 build breaks.
feature() { grep -E "^QT_FEATURE_$1:" "$build/CMakeCache.txt" | cut -d= -f2; }
if [ "$(feature dynamicgl)" = ON ] ||
  { [ "$(feature directwrite3)" = ON ] && [ "$(feature direct2d)" != ON ]; }; then
  echo "Qt configured with dynamic GL or DirectWrite 3 without Direct2D; it would not build" >&2
  exit 1
fi

win_log "building Qt for Windows (about 20 minutes on 2 cores)"
cmake --build "$build" --parallel "$WIN_JOBS" >>"$build/build.log" 2>&1 ||
  { tail -40 "$build/build.log" >&2; exit 1; }
cmake --install "$build" >"$build/install.log" 2>&1
touch "$prefix.partial/.complete"
mv "$prefix.partial" "$prefix"
rm -rf "$build"
echo "$prefix"
