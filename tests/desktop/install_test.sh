#!/usr/bin/env bash
# The program as a package installs it: the install layout and its desktop
# files checked by the desktop's own validators, then the installed copy
# run from a read-only folder by an ordinary user with a home of its own,
# and the Debian package with the dependencies it declares.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
BUILD="$1"
ID=io.github.zorvik.Zorvik
work="$(mktemp -d)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix="$work/prefix"
cmake --install "$BUILD" --prefix "$prefix" >/dev/null
for f in bin/zorvik share/applications/$ID.desktop share/metainfo/$ID.metainfo.xml \
         share/icons/hicolor/scalable/apps/$ID.svg; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done
for size in 16 24 32 48 64 128 256; do
  [ -e "$prefix/share/icons/hicolor/${size}x${size}/apps/$ID.png" ] || fail "no ${size}px icon"
done
if grep -q '^ZORVIK_SPEECH:BOOL=ON' "$BUILD/CMakeCache.txt"; then
  [ -x "$prefix/libexec/zorvik/zorvik-speech" ] || fail "no speech service in libexec"
fi
desktop-file-validate "$prefix/share/applications/$ID.desktop"
# Docks and launchers offer these beside the entry.
for command in --toggle --reset; do
  grep -qx "Exec=zorvik $command" "$prefix/share/applications/$ID.desktop" || fail "no $command action"
done
appstreamcli validate --no-net "$prefix/share/metainfo/$ID.metainfo.xml" >/dev/null
# A software centre shows the screenshots from the repository's docs/.
src="$(cd "$(dirname "$0")/../.." && pwd)"
shots="$(grep -o 'main/docs/[^<]*' "$prefix/share/metainfo/$ID.metainfo.xml" | sed 's#^main/##')"
[ -n "$shots" ] || fail "the metadata names no screenshot"
for shot in $shots; do [ -f "$src/$shot" ] || fail "no $shot in the repository"; done
echo "install layout, desktop entry with its actions and metadata valid"

# A read-only installed copy, and the bare program alone in a read-only
# folder. Root writes anywhere, so the program runs as "nobody" when the
# test runs as root.
chmod 755 "$work"
cp -a "$prefix" "$work/ro"
mkdir "$work/lone"
cp "$prefix/bin/zorvik" "$work/lone/"
chmod -R a-w "$work/ro" "$work/lone"
runtime="$work/runtime"
mkdir -p "$work/home" "$work/home2" "$runtime"
chmod 700 "$runtime"
as=()
if [ "$(id -u)" = 0 ]; then
  chown -R nobody:nogroup "$work/home" "$work/home2" "$runtime"
  as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
snapshot() { (cd "$work" && find ro lone -printf '%p %s %T@\n' | sort); }
before="$(snapshot)"

# run PROGRAM HOME TEXT: starts the program and waits until it has written
# TEXT into "配置.ini" and the table file in that home's settings folder.
run() {
  local config="$2/.config/zorvik/配置.ini" table="$2/.config/zorvik/自定义提醒数据"
  env -i HOME="$2" XDG_RUNTIME_DIR="$runtime" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
    "${as[@]}" "$1" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 150); do
    [ -f "$table" ] && [ -f "$config" ] && iconv -f GBK -t UTF-8 "$config" | grep -q "$3" && break
    sleep 0.1
  done
  [ -f "$table" ] || fail "$1: no table file in $2"
  iconv -f GBK -t UTF-8 "$config" 2>/dev/null | grep -q "$3" || fail "$1: no \"$3\" in $config"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
}
# The first start writes the defaults; the hotkey's key is the last of them.
run "$work/ro/bin/zorvik" "$work/home" '^开始='
# A hand-edited -3 is corrected and written back by the next start.
config="$work/home/.config/zorvik/配置.ini"
iconv -f GBK -t UTF-8 "$config" | sed 's/^秒=.*/秒=-3/' | iconv -f UTF-8 -t GBK >"$work/edited"
cat "$work/edited" >"$config"
run "$work/ro/bin/zorvik" "$work/home" '^秒=0'
run "$work/lone/zorvik" "$work/home2" '^开始='
[ "$before" = "$(snapshot)" ] || fail "a program folder changed"
echo "read-only copies: settings written to the user's folder, program folders untouched"

cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$work/pkg" >/dev/null
deb="$(ls "$work"/pkg/zorvik_*.deb)"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
echo "$depends" | grep -q 'libqt6' || fail "the package names no Qt library"
contents="$(dpkg-deb -c "$deb")"
grep -q "./usr/bin/zorvik$" <<<"$contents" || fail "no usr/bin/zorvik in the package"
grep -q "./usr/share/applications/$ID.desktop" <<<"$contents" || fail "no desktop entry"
echo "Debian package built with its dependencies"
