#!/usr/bin/env bash
# Quillbox against Wine's own notepad.exe, side by side in one run under Wine:
# for a 2 KB, a 1 MB and a 10 MB note, the time from process start until the
# text is shown, one keystroke at the end of the text, the save at close, and
# the peak memory. Each figure is the median of RUNS runs, taken alternately
# (Quillbox, notepad, Quillbox, notepad, ...). Ratios Quillbox/notepad first;
# absolute figures hold for this machine only.
#   bench/compare_notepad.sh [RUNS]        (default 5)
#   QUILLBOX_EXE=path/to/Quillbox.exe      to measure a program built elsewhere
#
# Both programs see the same text: ordinary lines of about 60 characters with
# CR LF breaks, word wrap on, in a 420x560 window at (40, 40). Quillbox gets a
# .note file, notepad a .txt file with the same text (its word wrap and window
# come from HKCU\Software\Microsoft\Notepad in the bench prefix). The
# keystroke is a WM_CHAR sent to the edit from another process, answered, and
# the edit repainted. Saving: Quillbox saves when its window closes; notepad
# asks whether to save the changed text, and bench/note_driver answers Yes,
# the moment its save time starts. Both files are checked to end with the
# typed character afterwards. Peak memory is the process's peak working set
# (Wine reads it from the Linux process's VmHWM).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-5}"

bench_arguments=("$@")
bench_work=bench-notes
source "$here/bench/bench_setup.sh"
notepad_wraps_in_a_window_like_the_notes

measure() {  # program file length -> "open key save peak"
  local out
  if ! out=$(wine "$driver" measure "$1" "$(windows_path "$2")" "$3" 2>&1 | tr -d '\r'); then
    echo "compare_notepad: measuring $1 on $2 failed: $out" >&2
    exit 1
  fi
  echo "$out" | tail -n 1
}

sizes=("2 KB:2048" "1 MB:1048576" "10 MB:10485760")
declare -A figures
for entry in "${sizes[@]}"; do
  name="${entry%%:*}"
  make_text "${entry##*:}" > "$work/text"
  length=$(stat -c %s "$work/text")
  make_note "$work/text" "$work/pristine.note"
  echo "== $name note ($length bytes), $runs runs each" >&2
  for ((run = 1; run <= runs; run++)); do
    cp "$work/pristine.note" "$work/bench.note"
    q=$(measure "$(windows_path "$quillbox")" "$work/bench.note" "$length")
    cp "$work/text" "$work/bench.txt"
    n=$(measure 'C:\windows\system32\notepad.exe' "$work/bench.txt" "$length")
    echo "   run $run: Quillbox $q | notepad $n   (open_ms key_ms save_ms peak_kb)" >&2
    figures["$name,q"]+="$q"$'\n'
    figures["$name,n"]+="$n"$'\n'
  done
done

# column $2 (1 open, 2 key, 3 save, 4 peak) of the runs of $1 ("2 KB,q")
column_median() { printf '%s' "${figures[$1]}" | awk -v c="$2" 'NF { print $c }' | median; }

echo
echo "Machine: $(grep -m 1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores;" \
     "$(wine --version); medians of $runs runs"
echo
echo "| Note | Open Q/N | Keystroke Q/N | Save at close Q/N | Peak memory Q/N | Open ms Q / N | Keystroke ms Q / N | Save ms Q / N | Peak MB Q / N |"
echo "|---|---|---|---|---|---|---|---|---|"
for entry in "${sizes[@]}"; do
  name="${entry%%:*}"
  row="| $name"
  for c in 1 2 3 4; do
    row+=" | $(awk -v q="$(column_median "$name,q" $c)" -v n="$(column_median "$name,n" $c)" \
                'BEGIN { if (n > 0) printf "%.2f", q / n; else print "-" }')"
  done
  for c in 1 2 3; do
    row+=" | $(column_median "$name,q" $c) / $(column_median "$name,n" $c)"
  done
  row+=" | $(awk -v q="$(column_median "$name,q" 4)" -v n="$(column_median "$name,n" 4)" \
              'BEGIN { printf "%.1f / %.1f", q / 1024, n / 1024 }') |"
  echo "$row"
done
