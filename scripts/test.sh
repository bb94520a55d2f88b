#!/usr/bin/env bash
# Builds everything and runs every test: the pure core natively (plain and
# with sanitizers, plus a short fuzzing run), then the Windows build under
# Wine on a virtual display. Installs what is missing on Debian.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$here/scripts/setup.sh"
quillbox_install "${QUILLBOX_BUILD_PACKAGES[@]}" g++ googletest libgtest-dev libbenchmark-dev clang \
                 libclang-rt-14-dev util-linux clang-format \
                 openbox wixl
jobs=$(nproc)

echo "== line count"
"$here/scripts/count_lines.sh"

echo "== layout (clang-format)"
(cd "$here" && git ls-files -z '*.h' '*.cpp' | xargs -0 clang-format --dry-run -Werror)

echo "== core, native"
cmake -S "$here" -B "$here/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build/native" -j "$jobs"
ctest --test-dir "$here/build/native" --output-on-failure

echo "== core, native with address and undefined-behaviour sanitizers"
cmake -S "$here" -B "$here/build/sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all" >/dev/null
cmake --build "$here/build/sanitize" -j "$jobs" --target core_tests
ctest --test-dir "$here/build/sanitize" --output-on-failure

echo "== core, fuzzing (${QUILLBOX_FUZZ_SECONDS:=20} s a target)"
cmake -S "$here" -B "$here/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_C_COMPILER=clang -DQUILLBOX_FUZZ=ON -DQUILLBOX_BUILD_TESTS=OFF >/dev/null
cmake --build "$here/build/fuzz" -j "$jobs" --target note_codec_fuzz command_line_fuzz placement_fuzz
for target in note_codec_fuzz command_line_fuzz placement_fuzz; do
  "$here/build/fuzz/fuzz/$target" -max_total_time="$QUILLBOX_FUZZ_SECONDS" -max_len=4096 2>&1 | tail -n 1
done

echo "== Windows sources, compiled only, by a second compiler with its stricter warnings"
# clang++ for the mingw-w64 target, against mingw's own headers and C++ library.
mingw_cxx="$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix/include/c++ | head -n 1)"
for source in $(cd "$here" && git ls-files 'framework/*.cpp' 'colors/*.cpp' 'link/*.cpp' 'about/*.cpp' \
                'shell/*.cpp' 'app/*.cpp' 'window/*.cpp' 'program/*.cpp'); do
  clang++ --target=x86_64-w64-mingw32 -std=c++20 -fsyntax-only -nostdinc++ -isystem "$mingw_cxx" \
          -isystem "$mingw_cxx/x86_64-w64-mingw32" -I"$here" -DWIN32_LEAN_AND_MEAN -DNOMINMAX -DSTRICT \
          -Wall -Wextra -Wconversion -Wsign-conversion -Wshadow -Werror "$here/$source"
done

echo "== Windows build under Wine"
build="$here/build/windows"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$jobs"
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build" --output-on-failure
else
  ctest --test-dir "$build" --output-on-failure
fi
# The prefix that the tests ran in draws caption buttons with Marlett: without
# it the minimize and close boxes show the letters "0" and "r".
[ -f "$build/wineprefix/drive_c/windows/Fonts/marlett.ttf" ] ||
  { echo "the tests' Wine prefix has no Marlett font" >&2; exit 1; }
"$here/scripts/count_lines.sh"
echo "All tests passed."
