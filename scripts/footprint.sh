#!/usr/bin/env bash
# What installing the package brings onto a minimal Debian system: the
# number of packages and the MiB they take once unpacked, as apt would
# install them with and without recommended packages.
#
# The minimal system is the one `debootstrap --variant=minbase` lays: every
# package of priority "required" and apt, with what they depend on (the
# merged /usr taken as usr-is-merged, as debootstrap takes it: the same 88
# packages on Debian 12). apt works it out from the machine's package lists
# into a status file of its own, then simulates installing the package
# there; nothing is installed or downloaded, and root is not needed.
#
#   bash scripts/footprint.sh [build/woodtick_*.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "${1:-$(ls build/woodtick_*.deb)}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints "name version" for each package apt would install into the system
# whose dpkg status file is $1, given the rest as apt-get arguments.
simulate() {
  local status=$1
  shift
  apt-get install --simulate -q -o Dir::State::status="$status" "$@" 2> "$work/apt.err" |
    awk '/^Inst /{print $2, substr($3, 2)}' || {
    cat "$work/apt.err" >&2
    exit 1
  }
}

# The archive's records of the packages listed as "name version", one each.
records() {
  # shellcheck disable=SC2046
  apt-cache show $(awk '$1 != "woodtick" {print $1 "=" $2}') |
    awk -v RS= -v ORS='\n\n' '{split($0, f, "\n"); if (!seen[f[1]]++) print}'
}

# Sums the installed sizes (KiB) of the packages listed as "name version".
installed_kib() {
  local listed
  listed=$(cat)
  { echo "Installed-Size: $(dpkg-deb -f "$deb" Installed-Size)"; records <<< "$listed"; } |
    awk '/^Installed-Size:/{kib += $2} END {print kib}'
}

required=$(apt-cache dumpavail | awk '/^Package:/{p=$2} /^Priority: required/{print p}' | sort -u)
touch "$work/empty"
# shellcheck disable=SC2086
simulate "$work/empty" --no-install-recommends $required apt usr-is-merged > "$work/base"
records < "$work/base" | sed 's/^Package: .*/&\nStatus: install ok installed/' > "$work/status"
echo "minimal system: $(wc -l < "$work/base") packages"

for mode in --install-recommends --no-install-recommends; do
  simulate "$work/status" "$mode" "$deb" > "$work/added"
  kib=$(installed_kib < "$work/added")
  printf '%s: %d packages, %d MiB\n' "${mode#--}" "$(wc -l < "$work/added")" $(((kib + 512) / 1024))
done
