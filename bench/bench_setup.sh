# Sourced by the bench scripts once they have read their arguments: runs on a
# display of its own where there is none, builds the program and the driver,
# and starts one Wine server for the whole run in the bench prefix, so that
# no start pays for starting it. Sets `here`, `build`, `quillbox`, `driver`;
# `bench_work` (a folder below build/windows) is made empty as `work`. Gives
# the scripts the helpers that they share.
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

# notepad wraps words, in a 420x560 window at (40, 40), as the bench notes' windows are.
notepad_wraps_in_a_window_like_the_notes() {
  local setting
  for setting in "fWrap 1" "iWindowPosX 40" "iWindowPosY 40" "iWindowPosDX 420" "iWindowPosDY 560"; do
    set -- $setting
    wine reg add 'HKCU\Software\Microsoft\Notepad' /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1
  done
}

windows_path() { local p="$1"; echo "Z:${p//\//\\}"; }

# Ordinary text of at least $1 bytes: words, lines of up to 60 characters
# with CR LF breaks; with $2 = "one-line", the same words on one line.
make_text() {
  awk -v size="$1" -v one_line="${2:-}" 'BEGIN {
    n = split("milk bread call the office about meeting remember to water plants and book tickets", w, " ")
    srand(7); written = 0; line = ""
    while (written < size) {
      word = w[int(rand() * n) + 1]
      if (one_line != "") { printf "%s ", word; written += length(word) + 1 }
      else if (length(line) + length(word) + 1 > 60) { printf "%s\r\n", line; written += length(line) + 2; line = word }
      else line = (line == "" ? word : line " " word)
    }
  }'
}

# A note file $2 holding the text file $1, in a 420x560 window at (40, 40).
make_note() {
  { printf '1001\r\n40\r\n40\r\n420\r\n560\r\n'; cat "$1"; } > "$2"
}

# median of the numbers on standard input
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
