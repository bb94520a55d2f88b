#!/usr/bin/env bash
# Runs Windows tests as a desktop user meets the program: every window is a
# window of openbox, which draws the frames and puts its own window menu in
# place of the system menu, in a prefix of its own as plain as a new user's
# (no replacement for "Courier New"), which keeps the tests' prefix on its
# virtual desktop.
set -eu
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
command -v openbox >/dev/null || { echo "no openbox (apt-get install openbox)" >&2; exit 77; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
ready="$(mktemp -u)"
openbox --sm-disable --startup "touch $ready" >/dev/null 2>&1 &
manager=$!
trap 'kill $manager 2>/dev/null || true; rm -f "$ready"' EXIT
for _ in $(seq 100); do
  [ -f "$ready" ] && break
  sleep 0.1
done
[ -f "$ready" ] || { echo "openbox did not start" >&2; exit 1; }
export WINEPREFIX="${WINEPREFIX:-$PWD/wineprefix}-window-manager"
export QUILLBOX_WINE_DESKTOP=none QUILLBOX_WINE_PLAIN=1
"$here/scripts/wine-run.sh" "$@"
