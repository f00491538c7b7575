#!/usr/bin/env bash
# Builds what the speech service links on Windows, static, from Debian's
# sources: espeak-ng (the library, and its data for Mandarin and English
# compiled by a native build of the same source) and LAME's MP3 encoder.
# Once per compiler and version; prints the prefix.
set -euo pipefail
source "$(dirname "$0")/common.sh"

# Bookworm's espeak-ng upstream tarball is not on the mirror these machines
# reach; Debian's next release's source package is, and is pinned here.
ESPEAK_DSC=espeak-ng_1.52.0+dfsg-5.dsc
ESPEAK_DSC_SHA256=8d79bd4d12db56461ff02f7e7a4ba78b6c37b3c4cdbceefcf75cd76029883680
ESPEAK_POOL=http://deb.debian.org/debian/pool/main/e/espeak-ng
# The voices the service uses; every language's description is kept.
ESPEAK_DICTS=(cmn en)
ESPEAK_OPTIONS=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DUSE_ASYNC=OFF
  -DUSE_MBROLA=OFF -DUSE_LIBSONIC=OFF -DUSE_LIBPCAUDIO=OFF -DUSE_SPEECHPLAYER=OFF
  -DUSE_KLATT=ON -DBUILD_TESTING=OFF
  # Found, as far as its build is concerned, so that it is not fetched from
  # the network; it is not used.
  -DSONIC_LIB=unused -DSONIC_INC=unused)
LAME_OPTIONS=(--disable-shared --enable-static --disable-frontend --disable-decoder
  --disable-gtktest --disable-analyzer-hooks)

prefix_name="speech-$(win_toolchain_id)-$(win_digest "$ESPEAK_DSC" "${ESPEAK_DICTS[@]}" \
  "${ESPEAK_OPTIONS[@]}" "${LAME_OPTIONS[@]}")"
prefix="$WIN_CACHE/$prefix_name"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

# A source package from Debian's pool by its .dsc, checked against the
# pinned digest; dpkg-source then checks the tarballs the .dsc names.
pool_source() {
  local dir=$WIN_CACHE/src/espeak-ng-pool
  if ! compgen -G "$dir/espeak-ng-*/debian" >/dev/null; then
    rm -rf "$dir" && mkdir -p "$dir"
    (
      cd "$dir"
      curl -fsS -o "$ESPEAK_DSC" "$ESPEAK_POOL/${ESPEAK_DSC//+/%2b}"
      echo "$ESPEAK_DSC_SHA256  $ESPEAK_DSC" | sha256sum -c --quiet
      awk '/^Files:/{f=1;next} /^[^ ]/{f=0} f && NF==3{print $3}' "$ESPEAK_DSC" | while read -r file; do
        curl -fsS -o "$file" "$ESPEAK_POOL/${file//+/%2b}"
      done
      dpkg-source -x "$ESPEAK_DSC" >&2
    )
  fi
  echo "$dir"/espeak-ng-*/ | sed 's:/$::'
}

build="$WIN_CACHE/build/$prefix_name"
rm -rf "$build" "$prefix.partial"
mkdir -p "$build" "$prefix.partial/lib/pkgconfig" "$prefix.partial/include"
out="$prefix.partial"

espeak=$(pool_source)
win_log "building espeak-ng natively to compile its data"
cmake -S "$espeak" -B "$build/espeak-native" -G Ninja "${ESPEAK_OPTIONS[@]}" >"$build/espeak-native.log" 2>&1
dict_targets=()
for d in "${ESPEAK_DICTS[@]}"; do dict_targets+=("espeak-ng-data/${d}_dict"); done
cmake --build "$build/espeak-native" --parallel "$WIN_JOBS" --target espeak-ng-bin >>"$build/espeak-native.log" 2>&1
ninja -C "$build/espeak-native" -j "$WIN_JOBS" espeak-ng-data/phondata "${dict_targets[@]}" \
  >>"$build/espeak-native.log" 2>&1
mkdir -p "$out/share"
cp -r "$build/espeak-native/espeak-ng-data" "$out/share/"

win_log "cross-building espeak-ng for Windows"
cmake -S "$espeak" -B "$build/espeak-win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" \
  "${ESPEAK_OPTIONS[@]}" >"$build/espeak-win.log" 2>&1
cmake --build "$build/espeak-win" --parallel "$WIN_JOBS" --target espeak-ng espeak-ng-bin \
  >>"$build/espeak-win.log" 2>&1 || { tail -30 "$build/espeak-win.log" >&2; exit 1; }
cp "$build/espeak-win/src/libespeak-ng/libespeak-ng.a" "$build/espeak-win/src/ucd-tools/libucd.a" \
  "$out/lib/"
cp -r "$espeak/src/include/espeak-ng" "$out/include/"
mkdir -p "$out/bin"
cp "$build/espeak-win/src/espeak-ng.exe" "$out/bin/"
version=$(sed -n 's/^Version: //p' "$(dirname "$espeak")/$ESPEAK_DSC")
cat >"$out/lib/pkgconfig/espeak-ng.pc" <<PC
prefix=\${pcfiledir}/../..
Name: espeak-ng
Description: espeak-ng speech synthesizer (static, Windows)
Version: ${version%%+*}
Cflags: -I\${prefix}/include -DLIBESPEAK_NG_EXPORT=1
Libs: -L\${prefix}/lib -lespeak-ng -lucd
PC
cp "$espeak/COPYING" "$out/share/espeak-ng.COPYING"

# The data was compiled on this machine for a library built for another:
# both must speak the same bytes the same way.
win_log "checking that the Windows espeak-ng reads the compiled data as the native one does"
printf '提醒时间到了' >"$build/text.txt"
"$build/espeak-native/src/espeak-ng" --path="$out/share" -b 1 -v cmn -f "$build/text.txt" \
  -w "$build/native.wav"
WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="$build/wine" \
  wine "$out/bin/espeak-ng.exe" --path="Z:$out/share" -b 1 -v cmn -f "Z:$build/text.txt" \
  -w "Z:$build/windows.wav" >/dev/null 2>&1
cmp "$build/native.wav" "$build/windows.wav"

lame_src=$(win_debian_source lame)
win_log "cross-building LAME for Windows"
rm -rf "$build/lame" && cp -r "$lame_src" "$build/lame"
(
  cd "$build/lame"
  ./configure --host="$WIN_TRIPLE" CC="$WIN_TRIPLE-gcc-posix" --prefix="$out" "${LAME_OPTIONS[@]}" \
    >"$build/lame.log" 2>&1
  make -j "$WIN_JOBS" >>"$build/lame.log" 2>&1
  make install >>"$build/lame.log" 2>&1
) || { tail -30 "$build/lame.log" >&2; exit 1; }
cat >"$out/lib/pkgconfig/lame.pc" <<PC
prefix=\${pcfiledir}/../..
Name: lame
Description: LAME MP3 encoder (static, Windows)
Version: $(dpkg-parsechangelog -l "$lame_src/debian/changelog" -S Version | cut -d- -f1)
Cflags: -I\${prefix}/include
Libs: -L\${prefix}/lib -lmp3lame
PC
cp "$lame_src/COPYING" "$out/share/lame.COPYING"

touch "$out/.complete"
mv "$out" "$prefix"
rm -rf "$build"
echo "$prefix"
