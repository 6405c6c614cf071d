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
  echo "$recipe" >"$prefix/.recipe"
fi

echo "Building the demo for Windows into $out"
cmake -S "$root" -B "$out" "${cross[@]}" >"$out/configure.log" 2>&1 ||
  { cat "$out/configure.log" >&2; exit 1; }
cmake --build "$out" -j "$jobs" --target demo bench unit_tests
