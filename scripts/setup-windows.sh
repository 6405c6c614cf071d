#!/usr/bin/env bash
# Installs what the Windows cross build and its tests under Wine need, when any is missing, and
# makes Debian's source packages reachable (a deb-src entry beside the existing deb entries), from
# which the dependencies are built.
set -euo pipefail

packages=(
  cmake dpkg-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
  wine wine64
  libcli11-dev nlohmann-json3-dev libutfcpp-dev
  xvfb xauth xdotool imagemagick
)

# shellcheck source=lib/debian-sources.bash
source "$(dirname "$0")/lib/debian-sources.bash"
install_with_sources "${packages[@]}"
