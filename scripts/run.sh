#!/usr/bin/env bash
# Builds Quillbox and runs it on default.note in the current folder: under
# Wine on Linux (installing what is missing on Debian), directly on Windows.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    cmake -S "$here" -B "$here/build/windows" -DQUILLBOX_BUILD_TESTS=OFF
    cmake --build "$here/build/windows" --target Quillbox --config Release
    exe=$(find "$here/build/windows/program" -name Quillbox.exe | head -n 1)
    exec "$exe" "$@"
    ;;
esac

source "$here/scripts/setup.sh"
quillbox_install "${QUILLBOX_BUILD_PACKAGES[@]}"
build="$here/build/windows"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target Quillbox

if [ -z "${DISPLAY:-}" ]; then
  echo "No display to show the note window on. Run this from a desktop session, or on a virtual" >&2
  echo "display:  xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
# A desktop session has a window manager: the note is one of its ordinary
# windows. On a display of xvfb-run's there is none, so Wine draws a desktop
# of its own. The run keeps its own prefix, apart from the tests'.
desktop=none
case "${XAUTHORITY:-}" in */xvfb-run.*) desktop=virtual ;; esac
echo "Opening default.note in $PWD"
WINEPREFIX="$build/wineprefix-run" QUILLBOX_WINE_DESKTOP="$desktop" \
  exec "$here/scripts/wine-run.sh" "$build/program/Quillbox.exe" "$@"
