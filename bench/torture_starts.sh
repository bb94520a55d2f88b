#!/usr/bin/env bash
# Starts that must show a note in exactly one window, N times each (default 50):
#   again     the note's window is closing, and the note is started again
#             at once, as a double click right after closing: the new start
#             must open it, with what the closing one saved. To make the
#             moment last, the close finds the note held by another program
#             and asks; the new start comes while it asks, then the note is
#             let go and the box answered Yes;
#   together  two starts of one note at the same moment: one window shows it,
#             the other start ends.
#   bench/torture_starts.sh [N]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tries="${1:-50}"

bench_arguments=("$@")
bench_work=torture-starts
source "$here/bench/bench_setup.sh"
folder="$work/notes"
mkdir -p "$folder"
note="$folder/starts.note"
header=$'1001\r\n40\r\n40\r\n300\r\n300\r\n'
start() { wine "$quillbox" "Z:${note//\//\\}" & }
text() { tail -c +$((${#header} + 1)) "$note"; }
others() { find "$folder" -mindepth 1 ! -path "$note" | wc -l; }

lost=0 unopened=0 leftover=0
for ((try = 1; try <= tries; try++)); do
  printf '%sstart' "$header" > "$note"
  start; first=$!
  timeout 30 wine "$driver" wait-shown starts 5
  coproc holder { exec wine "$driver" hold "Z:${note//\//\\}" 600000; }
  read -r _ <&"${holder[0]}"   # "held"
  wine "$driver" edit-and-close starts 5 >/dev/null
  timeout 30 wine "$driver" answer-box none >/dev/null   # the save failed: it asks
  start; second=$!
  sleep 1   # the new start finds the closing window
  kill "$holder_PID"; wait "$holder_PID" 2>/dev/null || true
  wine "$driver" answer-box yes >/dev/null
  if timeout 20 wine "$driver" edit-and-close starts 6 >/dev/null 2>&1; then
    wait "$second" "$first" || true
    [ "$(text)" = startxx ] || { lost=$((lost + 1)); echo "again $try: the note holds '$(text)'"; }
  else
    unopened=$((unopened + 1))
    echo "again $try: the second start showed no window"
    kill -9 "$first" "$second" 2>/dev/null || true
    wait "$first" "$second" 2>/dev/null || true
  fi
  leftover=$((leftover + $(others)))
done
echo "again: $tries tried, $unopened not opened, $lost lost, $leftover left-over files"

twice=0 none=0 leftover=0
for ((try = 1; try <= tries; try++)); do
  printf '%sstart' "$header" > "$note"
  start; a=$!
  start; b=$!
  # The start that finds the other's window hands the note over and ends.
  for ((wait = 0; wait < 1500; wait++)); do
    kill -0 "$a" 2>/dev/null && kill -0 "$b" 2>/dev/null || break
    sleep 0.01
  done
  shown=$(timeout 30 wine "$driver" count starts | tr -d '\r')
  [ "$shown" = 1 ] || echo "together $try: $shown windows"
  [ "$shown" -ge 2 ] && twice=$((twice + 1))
  [ "$shown" = 0 ] && none=$((none + 1))
  for ((window = 0; window < shown; window++)); do
    timeout 30 wine "$driver" edit-and-close starts $((5 + window)) >/dev/null 2>&1 || true
  done
  wait "$a" "$b" 2>/dev/null || true
  leftover=$((leftover + $(others)))
done
echo "together: $tries tried, $twice shown twice, $none not shown, $leftover left-over files"
