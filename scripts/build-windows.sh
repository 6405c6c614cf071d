#!/usr/bin/env bash
# Cross-builds the demo for 64-bit Windows with MinGW-w64: build-windows/demo.exe, bench.exe and
# unit_tests.exe, statically linked (they need only Windows' own DLLs). build-windows/ sits one
# level below the repository root like build/, so ../Quarnvale resolves from it.
#
# The dependencies come from Debian's source packages, built once into build-windows/deps/ and
# reused while this script and the dependency build files stay the same. They are installed with
# the package names a vcpkg build provides, so the demo's find_package calls are the ones a
# Windows user's build runs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup-windows.sh"
# shellcheck source=lib/debian-sources.bash
source "$root/scripts/lib/debian-sources.bash"

out="$root/build-windows"
deps="$out/deps"
prefix="$deps/prefix"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs="$(nproc)"
cross=(-G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DDEMO_DEPS_PREFIX="$prefix"
       -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix")

# Unpacks Debian's source package $1 into deps/src/$1/ and prints the unpacked folder.
fetch() { fetch_source "$1" "$deps/src"; }

# configure-build-install <name> <source> [cmake options...]
build_dep() {
  local name="$1" source="$2"
  shift 2
  local start=$SECONDS
  cmake -S "$source" -B "$deps/build/$name" "${cross[@]}" "$@" >"$deps/build-$name.log" 2>&1 &&
    cmake --build "$deps/build/$name" -j "$jobs" >>"$deps/build-$name.log" 2>&1 &&
    cmake --install "$deps/build/$name" >>"$deps/build-$name.log" 2>&1 ||
    { echo "building $name failed; see $deps/build-$name.log" >&2; tail -n 30 "$deps/build-$name.log" >&2; exit 1; }
  echo "  $name: $((SECONDS - start)) s"
}

# assimp for the model importer, with only the importers the demo documents and nothing else
# (no exporters, tools, tests or samples). Debian's source package has its bundled utf8cpp and
# minizip taken out in favour of Debian's own packages, and links Debian's draco: the header-only
# utf8cpp comes from the build machine's libutfcpp-dev, minizip's reading half (assimp compiles
# it in) from minizip's source package, and the draco link is undone (glTF's Draco compression
# stays unsupported, as in assimp's own default build).
assimp_source() {
  local source minizip
  source="$(fetch assimp)"
  minizip="$(fetch minizip)"
  if [ ! -f "$source/.demo-prepared" ]; then
    patch -R -p1 -s -d "$source" <"$source/debian/patches/use-system-libdraco.patch" || return 1
    mkdir -p "$source/contrib/unzip"
    cp "$minizip"/{unzip.c,unzip.h,ioapi.c,ioapi.h,crypt.h} "$source/contrib/unzip/"
    : >"$source/contrib/unzip/crypt.c" # assimp lists it; minizip keeps its code in crypt.h
    touch "$source/.demo-prepared"
  fi
  echo "$source"
}
assimp_importers=()
for format in GLTF OBJ FBX COLLADA PLY STL; do assimp_importers+=("-DASSIMP_BUILD_${format}_IMPORTER=ON"); done

recipe="$(cat "$0" "$toolchain" "$root"/cmake/windows-deps/* | sha256sum | cut -d' ' -f1)"
if [ "$(cat "$prefix/.recipe" 2>/dev/null)" != "$recipe" ]; then
  echo "Building the Windows dependencies into $deps"
  rm -rf "$prefix" "$deps/build"
  mkdir -p "$prefix"
  zlib=(-DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include)
  build_dep glfw "$(fetch glfw3)" -DBUILD_SHARED_LIBS=OFF -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF \
    -DGLFW_BUILD_DOCS=OFF
  build_dep libpng "$(fetch libpng1.6)" "${zlib[@]}" -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
  build_dep libjpeg "$(fetch libjpeg-turbo)" -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
  build_dep googletest "$(fetch googletest)" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF
  build_dep glm-glew-imgui-freeimage "$root/cmake/windows-deps" "${zlib[@]}" \
    -DPNG_PNG_INCLUDE_DIR="$prefix/include" -DPNG_LIBRARY="$prefix/lib/libpng16.a" \
    -DGLM_SOURCE="$(fetch glm)" -DGLEW_SOURCE="$(fetch glew)" -DIMGUI_SOURCE="$(fetch imgui)" \
    -DFREEIMAGE_SOURCE="$(fetch freeimage)"
  build_dep assimp "$(assimp_source)" "${zlib[@]}" -DBUILD_SHARED_LIBS=OFF -DASSIMP_BUILD_ZLIB=OFF \
    -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_ALL_EXPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF \
    "${assimp_importers[@]}" -DASSIMP_BUILD_TESTS=OFF -DASSIMP_BUILD_ASSIMP_TOOLS=OFF \
    -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_DRACO=OFF -DASSIMP_WARNINGS_AS_ERRORS=OFF \
    -DASSIMP_INJECT_DEBUG_POSTFIX=OFF -DASSIMP_IGNORE_GIT_HASH=ON -DCMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON \
    -DCMAKE_CXX_FLAGS="-isystem /usr/include/utf8cpp"
  echo "$recipe" >"$prefix/.recipe"
fi

echo "Building the demo for Windows into $out"
cmake -S "$root" -B "$out" "${cross[@]}" >"$out/configure.log" 2>&1 ||
  { cat "$out/configure.log" >&2; exit 1; }
cmake --build "$out" -j "$jobs" --target demo bench unit_tests
