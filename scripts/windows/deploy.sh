#!/usr/bin/env bash
# Gathers a portable Zorvik for Windows into a folder and packs it as a ZIP:
# the two programs, the Qt and MinGW libraries they load (found by walking
# their imports: this Qt has no deployment tool), the Qt plug-ins for the
# window system and the style, Qt's Chinese texts, espeak-ng's data, the
# licences of all of it and a note for the user.
# Usage: deploy.sh BUILD_DIR QT_PREFIX SPEECH_PREFIX QT_SOURCE OUT_DIR NAME
set -euo pipefail
source "$(dirname "$0")/common.sh"
build=$1 qt=$2 speech=$3 qt_source=$4 out=$5 name=$6

stage="$out/$name"
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage"

# Where the libraries a program imports may come from; anything else it
# imports is the system's own.
mapfile -t runtime_dirs < <(echo "$qt/bin"; win_runtime_dirs)

imports() { "$WIN_TRIPLE-objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p'; }

# Copies a library the file imports into the folder, and what it imports.
deploy_imports() {
  local dll dir
  for dll in $(imports "$1"); do
    [ -e "$stage/$dll" ] && continue
    for dir in "${runtime_dirs[@]}"; do
      if [ -f "$dir/$dll" ]; then
        cp "$dir/$dll" "$stage/$dll"
        deploy_imports "$stage/$dll"
        break
      fi
    done
  done
}

cp "$build/bin/zorvik.exe" "$build/bin/zorvik-speech.exe" "$stage/"
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
  mkdir -p "$stage/$(dirname "$plugin")"
  cp "$qt/plugins/$plugin" "$stage/$plugin"
done
for file in "$stage"/*.exe "$stage"/*/*.dll; do deploy_imports "$file"; done
find "$stage" -name '*.exe' -o -name '*.dll' | xargs "$WIN_TRIPLE-strip" --strip-unneeded

mkdir -p "$stage/translations"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$stage/translations/"
cp -r "$speech/share/espeak-ng-data" "$stage/"

# Licences: the program's, Qt's and the libraries it bundles, espeak-ng's,
# LAME's and the MinGW runtime's.
lic="$stage/licenses"
mkdir -p "$lic/Qt"
cp "$WIN_ROOT/LICENSE" "$lic/Zorvik-LICENSE.txt"
cp "$qt_source"/LICENSES/{LGPL-3.0-only,GPL-2.0-only,GPL-3.0-only,Qt-GPL-exception-1.0}.txt "$lic/Qt/"
for third in freetype harfbuzz-ng pcre2 zlib libpng libjpeg md4c double-conversion; do
  for f in "$qt_source/src/3rdparty/$third"/{LICEN,COPYING,*-license.txt,docs/FTL.TXT}*; do
    if [ -f "$f" ]; then cp "$f" "$lic/Qt/$third-$(basename "$f")"; fi
  done
done
cp "$speech/share/espeak-ng.COPYING" "$lic/espeak-ng-COPYING.txt"
cp "$speech/share/lame.COPYING" "$lic/LAME-COPYING.txt"
cp /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright "$lic/GCC-runtime-copyright.txt"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$lic/MinGW-w64-copyright.txt"

# The note is UTF-8 with its mark, which every Notepad reads as such.
{
  printf '\xef\xbb\xbf'
  sed 's/$/\r/' "$WIN_SCRIPTS/readme-zh.txt"
} >"$stage/说明.txt"

# Names in UTF-8, marked as such, so Chinese names unpack right everywhere.
python3 - "$out" "$name" <<'PY'
import os, sys, zipfile
out, name = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(os.path.join(out, name + ".zip"), "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for folder, _, files in sorted(os.walk(os.path.join(out, name))):
        for f in sorted(files):
            path = os.path.join(folder, f)
            z.write(path, os.path.relpath(path, out))
PY
echo "$out/$name.zip"
