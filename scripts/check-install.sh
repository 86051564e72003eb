#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree the desktop sees there:
# every file in its freedesktop place, a menu entry and a MIME type the desktop's own
# tools accept, and an installed program that finds its template.
# Usage: check-install.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix/usr" >/dev/null
usr=$prefix/usr

for file in bin/vemora-contracts share/vemora-contracts/temp.mdb \
            share/applications/vemora-contracts.desktop share/mime/packages/vemora-contracts.xml \
            share/icons/hicolor/scalable/apps/vemora-contracts.svg \
            share/icons/hicolor/scalable/mimetypes/application-x-vemora-contract.svg; do
  [ -f "$usr/$file" ] || fail "$file is not installed"
done
[ -x "$usr/bin/vemora-contracts" ] || fail "the program is not executable"
for size in 16 22 24 32 48 64 128 256; do
  png=$usr/share/icons/hicolor/${size}x${size}/apps/vemora-contracts.png
  file -b "$png" | grep -q "^PNG image data, $size x $size" || fail "$png is not a ${size}x${size} PNG"
done

entry=$usr/share/applications/vemora-contracts.desktop
desktop-file-validate "$entry" || fail "the menu entry does not validate"
grep -qx "Name=Vemora合同管理软件" "$entry" || fail "the menu entry's name"
grep -qx "Categories=Office;" "$entry" || fail "the menu entry's category"
grep -qx "MimeType=application/x-vemora-contract;" "$entry" || fail "the menu entry's MIME type"

xml=$usr/share/mime/packages/vemora-contracts.xml
xmllint --noout "$xml" || fail "the MIME type is not well-formed XML"
# The shared MIME database takes the type: by name and by contents.
messages=$(XDG_DATA_DIRS=$usr/share update-mime-database "$usr/share/mime" 2>&1) || fail "update-mime-database: $messages"
[ -z "$messages" ] || fail "update-mime-database: $messages"
grep -q "^50:application/x-vemora-contract:\*\.pzq$" "$usr/share/mime/globs2" || fail "no glob for *.pzq"
grep -aq "application/x-vemora-contract" "$usr/share/mime/magic" || fail "no magic for contract files"

# A contract file made by the program carries the mark the magic looks for.
[ "$(od -An -tx1 -j68 -N4 "$usr/share/vemora-contracts/temp.mdb" | tr -d ' ')" = 564d5243 ] ||
  fail "the template lacks the application id"

"$here/check-installed-program.sh" "$usr/bin/vemora-contracts" "$usr/share/vemora-contracts/temp.mdb"
echo "install layout OK"
