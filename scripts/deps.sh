#!/usr/bin/env bash
# Installs the Debian packages the build, the editor and the tests need, when missing.
set -euo pipefail
packages=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev
          qt6-image-formats-plugins libgl-dev libjpeg-dev fonts-liberation
          xvfb xauth libxkbcommon-x11-0 libxcb-cursor0
          libgraphviz-dev qt6-translations-l10n dpkg-dev desktop-file-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Run as root to install the missing packages." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
