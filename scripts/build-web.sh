#!/usr/bin/env bash
# Builds the demo for a web browser with Debian's emscripten: build-web/index.html, demo.js,
# demo.wasm and demo.data (the Quarnvale tree, read by the program from /Quarnvale, which is
# "../Quarnvale" seen from the root folder it starts in). Any static web server can serve
# build-web/ (scripts/serve-web.sh does); browsers refuse the .data file under file://.
#
# Dear ImGui and the image reading (FreeImage over libpng, libjpeg-turbo and zlib) come from
# Debian's source packages, built once into build-web/deps/ and reused while this script and the
# dependency build files stay the same. GLM is Debian's headers; GLFW and GL ES come with
# emscripten.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-web"
deps="$out/deps"
prefix="$deps/prefix"
jobs="$(nproc)"

# Packages: the compiler, the browser and node for the tests, and Debian's source entries.
# shellcheck source=lib/debian-sources.bash
source "$root/scripts/lib/debian-sources.bash"
packages=(emscripten cmake make dpkg-dev python3 libglm-dev chromium nodejs)
# Some node packages (NodeSource's) bring npm with them and conflict with Debian's.
command -v npm >/dev/null || packages+=(npm)
install_with_sources "${packages[@]}"

# Debian's node does not search Debian's own module folder, where emcc's acorn lives.
export NODE_PATH=/usr/share/nodejs
mkdir -p "$deps"

# ---- dependency recipe (this part of the script, with cmake/web-deps/, decides when deps are rebuilt)
# Unpacks Debian's source package $1 into deps/src/$1/ and prints the unpacked folder.
fetch() { fetch_source "$1" "$deps/src"; }

# run-logged <name> <command...>: the command's output goes to deps/build-<name>.log, shown on failure.
run_logged() {
  local name="$1"
  shift
  "$@" >>"$deps/build-$name.log" 2>&1 ||
    { echo "building $name failed; see $deps/build-$name.log" >&2; tail -n 30 "$deps/build-$name.log" >&2; exit 1; }
}

# configure-build-install <name> <source> [cmake options...]
build_dep() {
  local name="$1" source="$2"
  shift 2
  local start=$SECONDS
  rm -f "$deps/build-$name.log"
  run_logged "$name" emcmake cmake -S "$source" -B "$deps/build/$name" -G "Unix Makefiles" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
  run_logged "$name" cmake --build "$deps/build/$name" -j "$jobs"
  run_logged "$name" cmake --install "$deps/build/$name"
  echo "  $name: $((SECONDS - start)) s"
}

recipe="$( (sed -n '/^# ---- dependency recipe/,/^# ---- end of the dependency recipe/p' "$0"
  cat "$root"/cmake/web-deps/* "$root"/cmake/windows-deps/FormatStubs.cpp) | sha256sum | cut -d' ' -f1)"
if [ "$(cat "$prefix/.recipe" 2>/dev/null)" != "$recipe" ]; then
  echo "Building the web dependencies into $deps"
  rm -rf "$prefix" "$deps/build"
  mkdir -p "$prefix" "$deps/build"
  # zlib's CMake build wants a Windows resource file Debian's tarball lacks: its own configure.
  start=$SECONDS
  rm -rf "$deps/build/zlib" && cp -a "$(fetch zlib)" "$deps/build/zlib"
  rm -f "$deps/build-zlib.log"
  (cd "$deps/build/zlib" && run_logged zlib emconfigure ./configure --static --prefix="$prefix" &&
    run_logged zlib emmake make -j "$jobs" libz.a && run_logged zlib emmake make install)
  echo "  zlib: $((SECONDS - start)) s"
  zlib=(-DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include")
  build_dep libpng "$(fetch libpng1.6)" "${zlib[@]}" -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
  # CMake's own size checks misread emscripten's 32-bit types.
  build_dep libjpeg "$(fetch libjpeg-turbo)" -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF \
    -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4
  build_dep imgui-freeimage "$root/cmake/web-deps" -DIMGUI_SOURCE="$(fetch imgui)" \
    -DFREEIMAGE_SOURCE="$(fetch freeimage)"
  echo "$recipe" >"$prefix/.recipe"
fi
# ---- end of the dependency recipe

echo "Building the demo for the web into $out"
# emcc searches no system folder: GLM's headers are reached through a folder of their own.
mkdir -p "$out/glm-include"
ln -sfn /usr/include/glm "$out/glm-include/glm"
run_demo() { "$@" >>"$out/build.log" 2>&1 || { tail -n 40 "$out/build.log" >&2; exit 1; }; }
rm -f "$out/build.log"
run_demo emcmake cmake -S "$root/cmake/web" -B "$out/cmake" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
  -DDEMO_ROOT="$root" -DDEMO_DEPS_PREFIX="$prefix" -DDEMO_GLM_INCLUDE="$out/glm-include" -DDEMO_WEB_OUT="$out"
run_demo cmake --build "$out/cmake" -j "$jobs"
cp "$root"/web/page.js "$root"/web/page.css "$out/"
# The page names the digest of its data file, so it can tell a damaged one from the one it was built with.
sed "s/@DATA_SHA256@/$(sha256sum "$out/demo.data" | cut -d' ' -f1)/" "$root/web/index.html" >"$out/index.html"
echo "Built $out/index.html ($(du -cb "$out"/index.html "$out"/page.* "$out"/demo.* | tail -n 1 | cut -f1) bytes)"
