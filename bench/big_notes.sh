#!/usr/bin/env bash
# Big notes, Quillbox against Wine's own notepad.exe, side by side in one run
# under Wine: a 10 MB note of ordinary lines, a 100 MB one, and a 1 MB note
# that is a single line (a pasted log or data line). For each:
#   shown    process start until the window is visible
#   answers  process start until it shows some of the text and answers
#   loaded   process start until the whole text is in and painted
#   close    a close asked for as soon as the window shows: the time until the
#            program has ended, and whether the file is byte for byte as it was
# Each figure is the median of RUNS runs, taken alternately (Quillbox, notepad,
# ...); a program still short of a figure after LIMIT seconds is ended and the
# figure shown as ">LIMIT s". Both programs wrap words in a 420x560 window.
#   bench/big_notes.sh [RUNS [LIMIT]]     (default 3 runs, 120 s)
#   QUILLBOX_BIG_NOTES="10 MB"            to measure only the notes named
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-3}"
limit_ms=$((${2:-120} * 1000))

bench_arguments=("$@")
bench_work=bench-big-notes
source "$here/bench/bench_setup.sh"
notepad_wraps_in_a_window_like_the_notes
notepad='C:\windows\system32\notepad.exe'

notes=("10 MB:10485760:" "100 MB:104857600:" "1 MB, one line:1048576:one-line")
declare -A figures

# program file length [close] -> "shown answers loaded end"
load() {
  local out
  if ! out=$(wine "$driver" load "$1" "$(windows_path "$2")" "$3" "$limit_ms" ${4:-} 2>&1 | tr -d '\r'); then
    echo "big_notes: loading $2 with $1 failed: $out" >&2
    exit 1
  fi
  echo "$out" | tail -n 1
}

for entry in "${notes[@]}"; do
  IFS=: read -r name size kind <<< "$entry"
  if [ -n "${QUILLBOX_BIG_NOTES:-}" ] && [ "$QUILLBOX_BIG_NOTES" != "$name" ]; then
    continue
  fi
  make_text "$size" "$kind" > "$work/text"
  length=$(stat -c %s "$work/text")
  make_note "$work/text" "$work/pristine.note"
  echo "== $name note ($length bytes), $runs runs each" >&2
  for ((run = 1; run <= runs; run++)); do
    for program in q n; do
      if [ $program = q ]; then
        file="$work/bench.note" exe="$(windows_path "$quillbox")" original="$work/pristine.note"
      else
        file="$work/bench.txt" exe="$notepad" original="$work/text"
      fi
      cp "$original" "$file"
      read -r shown answers loaded _ <<< "$(load "$exe" "$file" "$length")"
      read -r _ _ _ ended <<< "$(load "$exe" "$file" "$length" close)"
      kept=yes
      cmp -s "$original" "$file" || kept=NO
      echo "   run $run $program: shown $shown, answers $answers, loaded $loaded ms;" \
           "closed in $ended ms, file kept: $kept" >&2
      figures["$name,$program"]+="$shown $answers $loaded $ended $kept"$'\n'
    done
  done
done

# column $2 (1 shown, 2 answers, 3 loaded, 4 end) of the runs of $1
# ("10 MB,q"): the median, or ">LIMIT" when most runs hit the limit.
column_median() {
  printf '%s' "${figures[$1]}" | awk -v c="$2" 'NF { print $c }' > "$work/column"
  if [ "$(grep -c '^>' "$work/column")" -gt $(($(wc -l < "$work/column") / 2)) ]; then
    echo ">$limit_ms"
  else
    grep -v '^>' "$work/column" | median
  fi
}
seconds() { awk -v v="$1" 'BEGIN { if (substr(v, 1, 1) == ">") printf ">%d s", substr(v, 2) / 1000; else printf "%.2f s", v / 1000 }'; }
ratio() { awk -v q="$1" -v n="$2" 'BEGIN { if (q ~ /^>/ || n ~ /^>/ || n == 0) print "-"; else printf "%.2f", q / n }'; }
all_kept() { printf '%s' "${figures[$1]}" | awk 'NF && $5 != "yes" { bad = 1 } END { print bad ? "NO" : "yes" }'; }

echo
echo "Machine: $(grep -m 1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores;" \
     "$(wine --version); medians of $runs runs"
echo
echo "| Note | Shown Q / N | Answers Q / N | Loaded Q / N | Loaded Q/N | Close: ended Q / N | File kept Q / N |"
echo "|---|---|---|---|---|---|---|"
for entry in "${notes[@]}"; do
  name="${entry%%:*}"
  [ -n "${figures[$name,q]:-}" ] || continue
  row="| $name"
  for c in 1 2 3 4; do
    row+=" | $(seconds "$(column_median "$name,q" $c)") / $(seconds "$(column_median "$name,n" $c)")"
    [ $c = 3 ] && row+=" | $(ratio "$(column_median "$name,q" 3)" "$(column_median "$name,n" 3)")"
  done
  row+=" | $(all_kept "$name,q") / $(all_kept "$name,n") |"
  echo "$row"
done
