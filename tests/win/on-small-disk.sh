#!/usr/bin/env bash
# Runs Windows tests with a nearly full disk at hand: a 256 KiB tmpfs whose
# Windows path is in QUILLBOX_SMALL_DISK. Needs the right to mount (root);
# skipped (77) where mounting is not allowed.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
disk="$(pwd)/small-disk"
mkdir -p "$disk"
if ! mount -t tmpfs -o size=256k tmpfs "$disk" 2>/dev/null; then
  echo "cannot mount a small tmpfs here: skipped"
  exit 77
fi
trap 'umount "$disk"' EXIT
export QUILLBOX_SMALL_DISK="Z:${disk//\//\\}"
"$here/scripts/wine-run.sh" "$@"
