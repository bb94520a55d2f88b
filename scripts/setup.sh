#!/usr/bin/env bash
# Installs what the build and the tests need on Debian, if it is missing.
# Sourced by run.sh and test.sh; QUILLBOX_PACKAGES lists the packages.
set -euo pipefail

quillbox_install() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if ! command -v apt-get >/dev/null; then
    echo "Missing packages: ${missing[*]} (and no apt-get to install them)." >&2
    return 1
  fi
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Everything the Windows build needs: the cross compiler, CMake, and Wine with
# a virtual display to run it.
QUILLBOX_BUILD_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
                         wine wine64 fonts-wine xvfb xauth fonts-liberation)
