#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need, when any is missing,
# then configures and builds into build/. Sourced by run.sh and test.sh.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-image-formats-plugins qt6-translations-l10n
  libsqlite3-dev libbenchmark-dev
  mdbtools-dev
  fonts-wqy-microhei xdg-utils
  libreoffice-writer-nogui
  qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  desktop-file-utils libxml2-utils shared-mime-info dpkg-dev file
  libxlsxwriter-dev poppler-utils unzip
  libpq-dev postgresql
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "安装缺少的软件包: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)"
