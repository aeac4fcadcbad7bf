#!/usr/bin/env bash
# Builds the Debian package (build/woodtick_*.deb) and checks it: lintian
# with every tag shown, hardening-check on both programs, the licence, the
# desktop entry, the AppStream metainfo, the MIME type by name and by
# content, and both programs run from the unpacked package.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWOODTICK_HARDEN=ON
cmake --build build
rm -f build/woodtick_*.deb
(cd build && cpack)
deb=$(ls build/woodtick_*.deb)

# Every tag is shown, informational and pedantic ones too; a warning, an
# error or any hardening tag fails the package.
lintian_out=$(mktemp)
root=$(mktemp -d)
trap 'rm -rf "$root" "$lintian_out"' EXIT
lintian -I --pedantic --fail-on error,warning "$deb" | tee "$lintian_out"
if grep -q 'hardening' "$lintian_out"; then
  echo "lintian: the programs are not hardened" >&2
  exit 1
fi

dpkg-deb -x "$deb" "$root"
for program in woodtick woodtick-cli; do
  hardening-check --color "$root/usr/bin/$program"
done

# The licence travels with the package, in the form Debian reads.
grep -q '^License: Expat$' "$root/usr/share/doc/woodtick/copyright"
grep -q '<project_license>MIT</project_license>' \
  "$root/usr/share/metainfo/org.woodtick.Woodtick.metainfo.xml"
desktop-file-validate "$root/usr/share/applications/org.woodtick.Woodtick.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.woodtick.Woodtick.metainfo.xml"

env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/woodtick" --version
"$root/usr/bin/woodtick-cli" --version
"$root/usr/bin/woodtick-cli" help export > /dev/null

# The desktop's view: *.tal is our MIME type, and so is a tally file of
# either byte order without that ending; its default application is our
# desktop entry.
export XDG_DATA_DIRS="$root/usr/share:/usr/share"
update-mime-database "$root/usr/share/mime"
update-desktop-database "$root/usr/share/applications"
grep -q '^50:application/x-woodtick-tally:\*\.tal$' "$root/usr/share/mime/globs2"
cp examples/forest.tal "$root/little-endian"
printf 'LJ\x1a\x00\x00\x00\x00\x00' > "$root/big-endian"
for file in "$root/little-endian" "$root/big-endian"; do
  type=$(xdg-mime query filetype "$file")
  test "$type" = application/x-woodtick-tally || {
    echo "$file is $type, not a tally file" >&2
    exit 1
  }
done
default=$(XDG_DATA_HOME="$root/home" XDG_CONFIG_HOME="$root/config" \
  xdg-mime query default application/x-woodtick-tally 2>/dev/null)
test "$default" = org.woodtick.Woodtick.desktop
echo "package checked: $deb"
