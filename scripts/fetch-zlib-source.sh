#!/usr/bin/env bash
# Unpacks Debian's zlib source package into DEST (the Windows build compiles
# its contrib/minizip zip writer; Debian packages it for the host only).
# Idempotent: an unpacked tree is kept. Nothing of it is committed.
#
#   scripts/fetch-zlib-source.sh DEST
#
# apt's source client runs against a private state (lists, cache and a
# deb-src entry for the Debian archive the machine already uses), so the
# machine's own apt configuration and package lists stay untouched.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

if [ $# -ne 1 ]; then
  echo "usage: $0 DEST" >&2
  exit 2
fi
dest=$1
mkdir -p "$(dirname "$dest")"
# One fetch at a time when several builds are configured at once.
exec 9>"$dest.lock"
flock 9
if [ -f "$dest/contrib/minizip/zip.c" ]; then exit 0; fi

codename=$(. /etc/os-release && echo "${VERSION_CODENAME:?}")
archive=$(apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' 'Origin: Debian' \
  "Codename: $codename" | head -n 1)
if [ -z "$archive" ]; then
  echo "fetch-zlib-source: no Debian archive for $codename is configured (run scripts/install-deps.sh)" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zlib-source.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/download"
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $archive $codename main" >"$work/sources.list"
apt_private=(
  -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache"
  -o APT::Sandbox::User=root -qq
)

apt-get "${apt_private[@]}" update >/dev/null
(cd "$work/download" && apt-get "${apt_private[@]}" source --download-only zlib >/dev/null)
dsc=$(ls "$work"/download/zlib_*.dsc)
# Unpacked inside the scratch folder: dpkg-source leaves a copy of the
# original tarball beside the tree it makes.
dpkg-source --no-check -x "$dsc" "$work/zlib" >/dev/null
[ -f "$work/zlib/contrib/minizip/zip.c" ] || { echo "fetch-zlib-source: $dsc has no contrib/minizip" >&2; exit 1; }
rm -rf "$dest"
mv "$work/zlib" "$dest"
echo "fetch-zlib-source: $(basename "$dsc" .dsc) unpacked in $dest"
