# Sourced by the bench scripts once they have read their arguments: runs on a
# display of its own where there is none, builds the program and the driver,
# and starts one Wine server for the whole run in the bench prefix, so that
# no start pays for starting it. Sets `here`, `build`, `quillbox`, `driver`;
# `bench_work` (a folder below build/windows) is made empty as `work`.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "${bench_arguments[@]}"
fi

source "$here/scripts/setup.sh"
quillbox_install "${QUILLBOX_BUILD_PACKAGES[@]}"
build="$here/build/windows"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target Quillbox note_driver >/dev/null
quillbox="${QUILLBOX_EXE:-$build/program/Quillbox.exe}"
driver="$build/bench/note_driver.exe"
work="$build/$bench_work"
rm -rf "$work"
mkdir -p "$work"

export WINEPREFIX="$build/wineprefix-bench"
"$here/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1   # makes the prefix (virtual desktop, fonts)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wineserver -w
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
