#!/usr/bin/env bash
# Runs Windows tests with a note that is a symbolic link: Wine 8 cannot make
# one itself (CreateSymbolicLinkW does nothing), so Linux makes it here. The
# Windows path of the folder that holds link.note -> notes/target.note is in
# QUILLBOX_LINKED_NOTES.
set -eu
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
folder="$(pwd)/linked-notes"
rm -rf "$folder"
mkdir -p "$folder/notes"
printf old >"$folder/notes/target.note"
ln -s notes/target.note "$folder/link.note"
export QUILLBOX_LINKED_NOTES="Z:${folder//\//\\}"
exec "$here/scripts/wine-run.sh" "$@"
