#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix: the test runner's
# emulator for the cross build, and the way the run and bench scripts start
# the program.
#   WINEPREFIX             the prefix to use (made on first use); default: ./wineprefix
#   QUILLBOX_WINE_PLAIN    set: a new prefix gets no replacement for "Courier New"
#   QUILLBOX_WINE_DESKTOP  "virtual" (default): all windows inside one Wine
#                          desktop; "none": ordinary windows of the desktop's
#                          window manager
# Without a display, the program runs on a virtual one (xvfb-run).
set -euo pipefail

export WINEPREFIX="${WINEPREFIX:-$PWD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64
desktop="${QUILLBOX_WINE_DESKTOP:-virtual}"
command -v wine >/dev/null || { echo "wine-run: Wine is not installed (apt-get install wine wine64)" >&2; exit 127; }

if [ -z "${DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "wine-run: no display and no xvfb-run (apt-get install xvfb)" >&2; exit 127; }
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

# Make the prefix once; concurrent runs wait for the first.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.quillbox-ready" ]; then
    echo "wine-run: making the Wine prefix $WINEPREFIX (about 25 s, once)" >&2
    wine wineboot -i >/dev/null 2>&1 || true
    # The About box's text art wants a fixed-pitch "Courier New"; a plain
    # prefix, as a new user's, has none.
    if [ -z "${QUILLBOX_WINE_PLAIN:-}" ]; then
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono' \
        /f >/dev/null 2>&1 || true
    fi
    wineserver -w || true
    touch "$WINEPREFIX/.quillbox-ready"
  fi
  # Caption buttons are letters of the Marlett font, which Wine on Debian
  # ships (fonts-wine) but does not load from there: Wine loads every font in
  # the prefix's Windows\Fonts.
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ ! -f "$fonts/marlett.ttf" ]; then
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
      mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
    else
      echo "wine-run: no /usr/share/wine/fonts/marlett.ttf (apt-get install fonts-wine): caption buttons show letters" >&2
    fi
  fi
  # One virtual desktop for all windows draws captions and frames where no
  # window manager does, and spares Wine its wait of up to a second for each
  # top-level window that it hides. The prefix remembers the choice.
  if [ "$(cat "$WINEPREFIX/.quillbox-desktop" 2>/dev/null)" != "$desktop" ]; then
    if [ "$desktop" = none ]; then
      wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
    else
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || true
    fi
    wineserver -w || true
    echo "$desktop" > "$WINEPREFIX/.quillbox-desktop"
  fi
) 9>"$WINEPREFIX.lock"

exec wine "$@"
