#!/usr/bin/env bash
# Runs Windows tests as the unprivileged user "nobody", in a prefix of its
# own: run as root, Wine ignores the read-only attribute, and root may make
# files in any folder. QUILLBOX_CLOSED_FOLDER names a folder in which nobody
# cannot make new files but can write the a.note it holds. Skipped (77) where
# we cannot switch users.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
if [ "$(id -u)" -ne 0 ] || ! command -v runuser >/dev/null || ! id nobody >/dev/null 2>&1; then
  echo "cannot run as another user here: skipped"
  exit 77
fi
home="$(pwd)/nobody-home"
mkdir -p "$home"
chown nobody "$home"
chmod 755 "$home"
closed="$home/closed-folder"
rm -rf "$closed"
mkdir "$closed"
printf old >"$closed/a.note"
chown nobody "$closed/a.note"
chmod 555 "$closed"
# The test program and the scripts must be reachable for nobody.
exec runuser -u nobody -- env -u DISPLAY -u XAUTHORITY HOME="$home" WINEPREFIX="$home/wineprefix" \
  QUILLBOX_CLOSED_FOLDER="Z:${closed//\//\\}" \
  "$here/scripts/wine-run.sh" "$@"
