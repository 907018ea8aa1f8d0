#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# and any named on the command line, when any of them is missing. Uses sudo
# when not run as root.
set -euo pipefail
# qt6-translations-l10n: Qt's own dialogs in Japanese. The rest of the second
# line builds and checks the Debian package (scripts/check-package.sh).
packages=(qt6-base-dev qt6-serialport-dev ninja-build cmake g++ pkg-config
          fonts-noto-cjk xvfb xauth poppler-utils qt6-translations-l10n
          dpkg-dev file desktop-file-utils appstream shared-mime-info "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
