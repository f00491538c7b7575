#!/usr/bin/env bash
# Installs what building Zorvik for Windows and trying it under Wine needs
# on Debian 12, skipping apt-get when everything is there.
set -euo pipefail
source "$(dirname "$0")/common.sh"

PACKAGES=(
  # the build: this machine's Qt tools (moc, rcc, uic) and the MinGW compilers
  cmake ninja-build pkg-config g++ qt6-base-dev libgtest-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev curl python3
  # Qt's Chinese texts, shipped in the ZIP
  qt6-translations-l10n
  # Wine, with the tablet headers Qt's Windows plug-in includes
  wine wine64 libwine-dev
  # the tests and the smoke test: a display, keys, window lookups and
  # screenshots; the Chinese fonts Wine finds when it makes a prefix; the
  # Chinese locale that gives Wine its code page 936
  xvfb xauth xdotool x11-utils imagemagick fonts-noto-cjk locales
  # a sound server for Wine's media players in the tests
  pulseaudio
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# apt-get source needs Debian's source lists, off by default on Debian 12.
need_sources=""
if ! compgen -G "$WIN_CACHE/src/lame/lame-*/debian" >/dev/null ||
  ! compgen -G "$WIN_CACHE/src/qt6-base/qt6-base-*/debian" >/dev/null; then
  list=/etc/apt/sources.list.d/debian.sources
  if [ -f "$list" ] && ! grep -q '^Types:.*deb-src' "$list"; then
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' "$list"
    need_sources=1
  fi
fi

if [ ${#missing[@]} -gt 0 ] || [ -n "$need_sources" ]; then
  [ ${#missing[@]} -gt 0 ] && echo "Installing: ${missing[*]}" >&2
  $SUDO apt-get update -q >&2
  [ ${#missing[@]} -gt 0 ] &&
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}" >&2
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null ||
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
