#!/usr/bin/env bash
# Builds the release: build/release/Quillbox-<version>-win64.zip with
# Quillbox.exe and README.txt, and the per-user installer
# build/release/Quillbox-<version>-win64.msi. Installs what the cross build
# needs on Debian.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$here/scripts/setup.sh"
quillbox_install cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev \
                 wixl
build="$here/build/release"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DQUILLBOX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "${QUILLBOX_JOBS:-2}" --target package msi
ls "$build"/Quillbox-*-win64.zip "$build"/Quillbox-*-win64.msi
