#!/usr/bin/env bash
# Takes the README's pictures from the real program, as a desktop user meets
# it: under openbox on a virtual display, in a Wine prefix as plain as a new
# user's, with real key presses from the X server. Writes docs/note-window.png
# (a note), docs/note-maximised.png (the same note maximised by the window
# manager) and docs/about-box.png (the About box, opened with F1).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$here/scripts/setup.sh"
quillbox_install "${QUILLBOX_BUILD_PACKAGES[@]}" openbox xdotool wmctrl imagemagick
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x640x24" "$0" "$@"
fi
build="$here/build/windows"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target Quillbox >/dev/null
export WINEPREFIX="$build/wineprefix-screenshots" QUILLBOX_WINE_DESKTOP=none QUILLBOX_WINE_PLAIN=1
openbox --sm-disable >/dev/null 2>&1 &
manager=$!
trap 'kill $manager 2>/dev/null || true' EXIT
notes="$(mktemp -d)"
printf '1001\r\n120\r\n90\r\n230\r\n300\r\nShopping\r\n\r\nmilk\r\neggs\r\nbread\r\n\r\nCall the office at 3\r\n' \
  >"$notes/Shopping.note"

# Waits until a window named $1 shows; prints its X id.
window() {
  for _ in $(seq 300); do
    if id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$id" ]; then
      echo "$id"
      return
    fi
    sleep 0.1
  done
  echo "no window named $1" >&2
  exit 1
}
# Waits until the screen stops changing, then writes it to docs/$1.
shot() {
  local before=""
  for _ in $(seq 20); do
    sleep 0.3
    now=$(import -window root -depth 8 rgb:- | md5sum)
    [ "$now" = "$before" ] && break
    before=$now
  done
  import -window root "$here/docs/$1"
  echo "docs/$1"
}

"$here/scripts/wine-run.sh" "$build/program/Quillbox.exe" "Z:${notes//\//\\}\\Shopping.note" \
  >/dev/null 2>&1 &
program=$!
note=$(window Shopping)
xdotool windowactivate --sync "$note"
shot note-window.png
wmctrl -i -r "$note" -b add,maximized_vert,maximized_horz
shot note-maximised.png
wmctrl -i -r "$note" -b remove,maximized_vert,maximized_horz
xdotool windowactivate --sync "$note" key F1
shot about-box.png
# The pictures are taken: the throw-away note needs no orderly end.
wineserver -k || true
wait $program || true
rm -rf "$notes"
