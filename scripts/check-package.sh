#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it: its control data (name,
# version, the packages it depends on), its files, and that the program unpacked from it
# starts headless, finds its template and shows its window.
# Usage: check-package.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

cd "$build"
rm -f vemora-contracts_*.deb
output=$(cpack -G DEB 2>&1) || fail "cpack: $output"
debs=(vemora-contracts_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no package: $output"
deb=$build/${debs[0]}

dpkg-deb -I "$deb" >/dev/null || fail "dpkg-deb cannot read $deb"
field() { dpkg-deb -f "$deb" "$1"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' CMakeCache.txt)
[ "$(field Package)" = vemora-contracts ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version $(field Version), expected $version"
depends=$(field Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libsqlite3-0 qt6-qpa-plugins \
               qt6-image-formats-plugins libqt6svg6 qt6-translations-l10n fonts-wqy-microhei xdg-utils; do
  grep -Eq "(^|[ ,|])$package([ ,|(]|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
grep -q "libreoffice-writer" <<<"$(field Recommends)" || fail "Recommends lacks LibreOffice Writer"
# Every dependency names a package that exists: this machine has each of them installed,
# as it builds and runs the program.
IFS=',' read -ra groups <<<"$depends"
for group in "${groups[@]}"; do
  found=
  IFS='|' read -ra choices <<<"$group"
  for choice in "${choices[@]}"; do
    name=$(awk '{print $1}' <<<"$choice")
    dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed" && found=1
  done
  [ -n "$found" ] || fail "no installed package satisfies \"$group\""
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for file in usr/bin/vemora-contracts usr/share/vemora-contracts/temp.mdb \
            usr/share/applications/vemora-contracts.desktop usr/share/mime/packages/vemora-contracts.xml \
            usr/share/icons/hicolor/scalable/apps/vemora-contracts.svg \
            usr/share/icons/hicolor/48x48/apps/vemora-contracts.png; do
  [ -f "$unpacked/$file" ] || fail "the package lacks /$file"
done
"$here/check-installed-program.sh" "$unpacked/usr/bin/vemora-contracts" "$unpacked/usr/share/vemora-contracts/temp.mdb"
echo "package OK: $(basename "$deb"), Depends: $depends"
