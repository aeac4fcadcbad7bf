#!/usr/bin/env bash
# Installs the Debian packages Woodtick builds, tests and runs with.
# Safe to run again: packages already present are skipped.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libpulse-dev
  # The tone test's private sound server and its recorder (parec).
  pulseaudio pulseaudio-utils
  xvfb xauth fonts-dejavu-core
  clang libclang-rt-14-dev clang-format
  libsqlite3-dev sqlite3 python3
  librsvg2-bin dpkg-dev file fakeroot lintian devscripts libfile-mimeinfo-perl
  desktop-file-utils appstream shared-mime-info xdg-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
