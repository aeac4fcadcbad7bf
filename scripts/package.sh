#!/usr/bin/env bash
# Builds the Debian package (build/woodtick_*.deb) and checks it: lintian,
# the desktop entry, the AppStream metainfo, and both programs run from the
# unpacked package, which also opens .tal files by its MIME type.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
rm -f build/woodtick_*.deb
(cd build && cpack)
deb=$(ls build/woodtick_*.deb)

# Errors fail the build; warnings are shown and must be fixed or explained.
lintian --fail-on error "$deb"
desktop-file-validate data/org.woodtick.Woodtick.desktop
appstreamcli validate --no-net build/data/org.woodtick.Woodtick.metainfo.xml

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/woodtick" --version
"$root/usr/bin/woodtick-cli" --version
# The desktop's view: *.tal is our MIME type, and its default application is
# our desktop entry.
XDG_DATA_DIRS="$root/usr/share" update-mime-database "$root/usr/share/mime"
update-desktop-database "$root/usr/share/applications"
grep -q '^50:application/x-woodtick-tally:\*\.tal$' "$root/usr/share/mime/globs2"
default=$(XDG_DATA_DIRS="$root/usr/share" XDG_DATA_HOME="$root/home" \
  XDG_CONFIG_HOME="$root/config" xdg-mime query default application/x-woodtick-tally 2>/dev/null)
test "$default" = org.woodtick.Woodtick.desktop
echo "package checked: $deb"
