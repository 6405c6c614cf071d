# Sourced by the scripts that build dependencies from Debian's source packages (the Windows and
# web builds): installing what is missing with Debian's source entries reachable, and unpacking a
# source package.

# install_with_sources PACKAGE...: installs the packages not yet installed, after adding source
# entries (the same URIs, suites and keys as the deb entries, as one file of our own) when apt has
# none.
install_with_sources() {
  local sudo="" p missing=() added_sources=false
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ! grep -rqsE '^(deb-src |Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/demo-deb-src.sources >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
      sed -nE 's/^deb (.*)/deb-src \1/p' /etc/apt/sources.list |
        $sudo tee /etc/apt/sources.list.d/demo-deb-src.list >/dev/null
    else
      echo "No apt sources found to add a deb-src entry beside" >&2
      return 1
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
}

# fetch_source PACKAGE DIR: unpacks Debian's source package into DIR/PACKAGE/ (once) and prints
# the unpacked folder. When the newest version's files are gone from the mirror, an older one of
# the same release is taken.
fetch_source() {
  local package="$1" dir="$2/$1"
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir" && mkdir -p "$dir"
    local version ok=false
    for version in "" $(apt-cache showsrc "$package" | sed -n 's/^Version: //p' | sort -rV); do
      if (cd "$dir" && apt-get source -qq "$package${version:+=$version}" >/dev/null 2>&1); then
        ok=true
        break
      fi
      find "$dir" -mindepth 1 -delete
    done
    $ok || { echo "cannot fetch Debian's source package $package" >&2; return 1; }
    touch "$dir/.unpacked"
  fi
  find "$dir" -mindepth 1 -maxdepth 1 -type d | head -n 1
}
