#!/usr/bin/env bash
# Installs the .msi as a user would (msiexec /qn) in a prefix of its own,
# checks what it put where, starts the installed program once on a note,
# types into it and closes it, uninstalls, and checks that no file and no key
# of it is left.
#   installer.sh MSI NOTE_DRIVER
set -eu
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
msi=$1
driver=$2
[ -f "$msi" ] || { echo "no $msi (apt-get install wixl)" >&2; exit 77; }
export WINEPREFIX="${WINEPREFIX:-$PWD/wineprefix}-installer"
run() { "$here/scripts/wine-run.sh" "$@"; }
fail() { echo "installer: $*" >&2; exit 1; }
windows() { echo "Z:${1//\//\\}"; }
# The keys of the .note type, the program's own key, and the installed
# programs' lists, where the package's entry names "Quillbox" (a per-user
# package's is the user's on Windows, the machine's under Wine).
keys=('HKCU\Software\Classes\.note' 'HKCU\Software\Classes\Note' 'HKCU\Software\Quillbox'
      'HKLM\Software\Classes\.note' 'HKLM\Software\Classes\Note')
installed() {
  for root in HKCU HKLM; do
    run reg query "$root\Software\Microsoft\Windows\CurrentVersion\Uninstall" /s 2>/dev/null | tr -d '\r'
  done
}

run msiexec /qn /i "$(windows "$msi")" || fail "msiexec /i failed"
users="$WINEPREFIX/drive_c/users"
program=$(find "$users" -path '*/AppData/Local/Programs/Quillbox/Quillbox.exe' | head -n 1)
[ -n "$program" ] || fail "no Quillbox.exe under the user's programs folder"
find "$users" -path '*/Start Menu/Programs/Quillbox.lnk' | grep -q . || fail "no Start menu entry"
entry=$(installed)
echo "$entry" | grep -q 'DisplayVersion.*REG_SZ' || fail "no version among the installed programs"
echo "$entry" | grep -q 'Publisher.*The Quillbox developers' || fail "no publisher among the installed programs"

notes=$(mktemp -d)
printf '1001\r\n10\r\n10\r\n200\r\n200\r\nhi' >"$notes/installed.note"
run "$(windows "$program")" "$(windows "$notes/installed.note")" &
started=$!
run "$driver" edit-and-close installed 2 now || fail "the installed program showed no note"
wait $started || fail "the installed program failed"
grep -q 'hix$' "$notes/installed.note" || fail "the installed program did not save the note"
rm -rf "$notes"

run msiexec /qn /x "$(windows "$msi")" || fail "msiexec /x failed"
[ ! -e "$(dirname "$program")" ] || fail "left: $(dirname "$program")"
! find "$users" -path '*/Start Menu/Programs/Quillbox.lnk' | grep -q . || fail "left: the Start menu entry"
for key in "${keys[@]}"; do
  ! run reg query "$key" >/dev/null 2>&1 || fail "left: $key"
done
! installed | grep -qi quillbox || fail "left: the installed programs' entry"
echo "installed, started, uninstalled: nothing left"
