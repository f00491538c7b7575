# Shared by the Windows build scripts: where things are cached and what the
# cache entries are keyed by. Sourced, not run.

WIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WIN_SCRIPTS="$WIN_ROOT/scripts/windows"
WIN_TOOLCHAIN="$WIN_SCRIPTS/mingw-toolchain.cmake"
WIN_TRIPLE=x86_64-w64-mingw32
WIN_CACHE=${ZORVIK_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zorvik-windows}
WIN_JOBS=${ZORVIK_JOBS:-2}
QT_WIN_VERSION=6.4.2

# Everything built with the cross compiler is only reusable with the same
# compiler and C runtime headers, so both versions go into the cache key.
win_toolchain_id() {
  local gcc crt
  gcc=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
  crt=$(dpkg-query -W -f='${Version}' mingw-w64-x86-64-dev)
  printf 'gcc%s-crt%s' "$gcc" "$crt" | tr -c 'A-Za-z0-9.\n-' '_'
}

# A short digest of a build's own settings, so changing them builds anew.
win_digest() {
  printf '%s\n' "$@" | sha256sum | cut -c1-8
}

# Fetches a Debian source package once into the cache; prints its folder.
win_debian_source() {
  local pkg=$1 dir=$WIN_CACHE/src/$1
  if ! compgen -G "$dir/$pkg-*/debian" >/dev/null; then
    rm -rf "$dir" && mkdir -p "$dir"
    (cd "$dir" && apt-get source -q "$pkg" >&2)
  fi
  local found
  for found in "$dir/$pkg"-*/; do
    [ -d "$found/debian" ] && { echo "${found%/}"; return; }
  done
  echo "no source for $pkg" >&2
  return 1
}

# The MinGW runtime's DLLs (C++ library, GCC support, threads).
win_runtime_dirs() {
  dirname "$("$WIN_TRIPLE-g++-posix" -print-libgcc-file-name)"
  echo "/usr/$WIN_TRIPLE/lib"
}

win_log() { echo "[windows] $*" >&2; }
