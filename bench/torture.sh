#!/usr/bin/env bash
# How safe is a note when the program dies while saving it? N times (default
# 30): start Quillbox on a 10 MB note, type a character at the end, close the
# window (which saves), and kill -9 the Wine process at a random moment of
# that save. After each, the note must be byte for byte the old content or
# the new one, and every other file in its folder counts as left over.
#   bench/torture.sh [N]
#   QUILLBOX_EXE=path/to/Quillbox.exe      to try a program built elsewhere
# The new content is what one save without a kill writes first. The script
# watches the note's folder to see when a save begins (a file appears or the
# note changes) and kills at a random moment from then until a little after
# the time that first save took to replace the note.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tries="${1:-30}"

bench_arguments=("$@")
bench_work=torture
source "$here/bench/bench_setup.sh"
folder="$work/notes"
mkdir -p "$folder"

# 10 MB of ordinary lines, and the window well inside the screen.
{
  printf '1001\r\n40\r\n40\r\n420\r\n560\r\n'
  awk 'BEGIN { for (i = 0; i < 163840; i++) printf "line %06d of the note that is saved while it dies\r\n", i }'
} > "$work/old.note"
length=$(( $(stat -c %s "$work/old.note") - $(printf '1001\r\n40\r\n40\r\n420\r\n560\r\n' | wc -c) ))
note="$folder/torture.note"

# Nothing ever arrives on descriptor 8: reading it with a timeout pauses.
mkfifo "$work/never"
exec 8<>"$work/never"

# Milliseconds since the epoch, without starting a process.
now_ms() { local t=${EPOCHREALTIME/[.,]/}; echo $((t / 1000)); }

# One save: starts Quillbox, types a character, closes the window, and
# watches the folder (every millisecond or so) until the process has ended.
# Leaves in $first_ms when a file in the folder first changed and in $done_ms
# when the note had been replaced, both counted from the close. With a delay
# in ms as $1, it kills the process that long after the first change instead;
# $hit then tells whether the kill found the process still running.
save_once() {
  rm -rf "$folder" && mkdir -p "$folder" && cp "$work/old.note" "$note"
  touch -d '-1 minute' "$note"
  touch "$work/before"
  wine "$quillbox" "Z:${note//\//\\}" &
  local pid=$!
  rm -f "$work/hit"
  wine "$driver" edit-and-close torture "$length" | {
    read -r _ || true
    local closed first=0 done=0 files
    closed=$(now_ms)
    shopt -s nullglob
    while kill -0 "$pid" 2>/dev/null; do
      files=("$folder"/*)
      if [ "$first" = 0 ] && { [ ${#files[@]} -ne 1 ] || [ "$note" -nt "$work/before" ]; }; then
        first=$(( $(now_ms) - closed ))
        if [ -n "${1:-}" ]; then
          read -r -t "$(awk -v ms="$1" 'BEGIN { printf "%.4f", ms / 1000 }')" -u 8 _ || true
          if kill -9 "$pid" 2>/dev/null; then touch "$work/hit"; fi
          break
        fi
      fi
      if [ "$done" = 0 ] && [ ${#files[@]} -eq 1 ] && [ "$note" -nt "$work/before" ]; then
        done=$(( $(now_ms) - closed ))
      fi
      read -r -t 0.001 -u 8 _ || true   # a pause without starting a process
    done
    echo "$first $done" > "$work/watched"
  }
  { wait "$pid"; } 2>/dev/null || true   # (quiet about the kill)
  read -r first_ms done_ms < "$work/watched"
  hit=0
  if [ -f "$work/hit" ]; then hit=1; fi
}

save_once
cp "$note" "$work/new.note"
if cmp -s "$work/new.note" "$work/old.note" || [ "$done_ms" = 0 ]; then
  echo "torture: a save without a kill did not change the note" >&2
  exit 1
fi
# Each kill falls at a random moment from the first change in the folder to
# a little after the note was replaced in the save without a kill.
span_ms=$(( done_ms - first_ms + 5 ))
echo "A save without a kill: the folder changed ${first_ms} ms after the close, the note was replaced after" \
     "${done_ms} ms; each kill falls 0 to ${span_ms} ms after the folder first changes"

lost=0 leftover=0 most=0 hits=0
for ((try = 1; try <= tries; try++)); do
  delay=$(awk -v span="$span_ms" -v seed="$RANDOM" 'BEGIN { srand(seed); printf "%.1f", rand() * span }')
  save_once "$delay"
  hits=$((hits + hit))
  if cmp -s "$note" "$work/old.note"; then state=old
  elif cmp -s "$note" "$work/new.note"; then state=new
  else state=LOST; lost=$((lost + 1)); cp "$note" "$work/lost-$try.note" 2>/dev/null || true
  fi
  others=$(find "$folder" -mindepth 1 ! -path "$note" | wc -l)
  leftover=$((leftover + others))
  [ "$others" -gt "$most" ] && most=$others
  printf 'try %2d: kill %5s ms into the save%s, note %s, %d other file(s)\n' "$try" "$delay" \
         "$([ "$hit" = 1 ] && echo " (while running)" || echo " (had ended)")" "$state" "$others"
done
echo "$tries tried, $lost lost, $leftover left-over files"
echo "($hits kills hit a running process; at most $most left-over file(s) after one kill)"
