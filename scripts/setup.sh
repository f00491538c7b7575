#!/usr/bin/env bash
# Installs what building, running and testing Zorvik needs on Debian 12,
# skipping apt-get entirely when everything is already there.
set -euo pipefail

PACKAGES=(
  # build
  cmake g++ ninja-build ccache pkg-config qt6-base-dev qt6-multimedia-dev libgtest-dev libxcb1-dev
  libespeak-ng-dev libmp3lame-dev libpulse-dev libgstreamer1.0-dev
  # run and test
  xvfb xauth xdotool fonts-noto-cjk gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad timgm6mb-soundfont espeak-ng lame sox imagemagick
  # the desktop around the program: a session bus, window manager, tray host,
  # notification daemon, X tools and the accessibility bus a screen reader
  # listens on; a dark desktop theme (GTK's, through Qt); Qt's Chinese
  # texts; the desktop files' validators; packaging
  dbus x11-utils procps openbox trayer dunst at-spi2-core python3-pyatspi qt6-gtk-platformtheme
  qt6-translations-l10n desktop-file-utils appstream dpkg-dev
  # chattr: a folder that refuses new files even to root
  e2fsprogs
  # a sound server of the tests' own, and its player and recorder
  pulseaudio pulseaudio-utils
  # fuzzing, and the formatting check
  clang libclang-rt-14-dev clang-format
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
