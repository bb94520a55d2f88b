#!/usr/bin/env bash
# Saves that fail for real reasons, N times (default 40), four kinds in turn:
# at the close the note is held open by another program, or read-only; the
# program must say so in a box; the fault is then lifted and the box answered
# Yes (try again: the note must hold the typed text) or No (close without
# saving: the note must stay as it was, even though the fault is gone).
# Counts notes lost (a Yes that did not save), saves written unasked (a No
# that saved anyway), silent failures (no box) and left-over files.
#   bench/torture_faults.sh [N]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tries="${1:-40}"

bench_arguments=("$@")
bench_work=torture-faults
source "$here/bench/bench_setup.sh"
folder="$work/notes"
mkdir -p "$folder"
note="$folder/faults.note"
winnote="Z:${note//\//\\}"
header=$'1001\r\n40\r\n40\r\n300\r\n300\r\n'
text() { tail -c +$((${#header} + 1)) "$note"; }

lost=0 unasked=0 silent=0 leftover=0
kinds=(held:yes held:no read-only:yes read-only:no)
for ((try = 1; try <= tries; try++)); do
  kind=${kinds[$(((try - 1) % 4))]}
  fault=${kind%:*} answer=${kind#*:}
  rm -rf "$folder" && mkdir -p "$folder"
  printf '%sstart' "$header" > "$note"
  wine "$quillbox" "$winnote" & program=$!
  timeout 30 wine "$driver" wait-shown faults 5
  if [ "$fault" = held ]; then
    coproc holder { exec wine "$driver" hold "$winnote" 600000; }
    read -r _ <&"${holder[0]}"   # "held"
  fi
  [ "$fault" = read-only ] && chmod a-w "$note"
  timeout 30 wine "$driver" edit-and-close faults 5 >/dev/null
  # The box says why the save failed; the fault is lifted before the answer.
  if said=$(timeout 30 wine "$driver" answer-box none 2>/dev/null); then
    if [ "$fault" = held ]; then kill "$holder_PID"; wait "$holder_PID" 2>/dev/null || true; fi
    chmod u+w "$note"
    wine "$driver" answer-box "$answer" >/dev/null
  else
    silent=$((silent + 1))
    echo "try $try ($kind): no box"
    if [ "$fault" = held ]; then kill "$holder_PID" 2>/dev/null || true; fi
    chmod u+w "$note"
  fi
  wait "$program" || true
  got=$(text)
  if [ "$answer" = yes ] && [ "$got" != startx ]; then lost=$((lost + 1)); echo "try $try ($kind): '$got'"; fi
  if [ "$answer" = no ] && [ "$got" != start ]; then unasked=$((unasked + 1)); echo "try $try ($kind): '$got'"; fi
  others=$(find "$folder" -mindepth 1 ! -path "$note" | wc -l)
  [ "$others" = 0 ] || echo "try $try ($kind): $others left-over file(s)"
  leftover=$((leftover + others))
done
echo "$tries tried: $lost lost, $unasked written after No, $silent failed silently, $leftover left-over files"
