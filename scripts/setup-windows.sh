#!/usr/bin/env bash
# Installs what the Windows cross build and its tests under Wine need, when any is missing, and
# makes Debian's source packages reachable (a deb-src entry beside the existing deb entries), from
# which the dependencies are built.
set -euo pipefail

packages=(
  cmake dpkg-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
  wine wine64
  libcli11-dev nlohmann-json3-dev
  xvfb xauth xdotool imagemagick
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Source entries: the same URIs, suites and keys as the deb entries, as one file of our own.
added_sources=false
if ! grep -rqsE '^(deb-src |Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo tee /etc/apt/sources.list.d/demo-deb-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    sed -nE 's/^deb (.*)/deb-src \1/p' /etc/apt/sources.list |
      $sudo tee /etc/apt/sources.list.d/demo-deb-src.list >/dev/null
  else
    echo "No apt sources found to add a deb-src entry beside" >&2
    exit 1
  fi
  added_sources=true
fi

if [ ${#missing[@]} -gt 0 ] || $added_sources; then
  echo "Updating apt${missing[*]:+; installing: ${missing[*]}}"
  $sudo apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
