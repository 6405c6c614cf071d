#!/usr/bin/env bash
# Installs the Debian packages the demo, its tools and its tests need, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libglfw3-dev libglew-dev libglm-dev libfreeimage-dev libgtest-dev libimgui-dev libassimp-dev
  libcli11-dev nlohmann-json3-dev
  libgl-dev libglx-mesa0 libgl1-mesa-dri
  xvfb xauth xdotool imagemagick
  openbox xterm x11-utils
  ffmpeg
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
