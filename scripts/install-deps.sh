#!/usr/bin/env bash
# Installs what building and testing Korvel needs on Debian, skipping what is already there.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  googletest
  clang libclang-rt-dev llvm
  wine wine64
  # Wine's X11 driver loads these at run time, and Wine only recommends them: without libxinerama1 it sees
  # one monitor, without libxcursor1 a program's own cursors are lost; the others serve input, clipboard,
  # display modes and drawing. (Its libGL and libvulkan are left out: Korvel draws with GDI only.)
  libxinerama1 libxcursor1 libxi6 libxcomposite1 libxrandr2 libxrender1 libxext6 libxfixes3 libxxf86vm1
  xvfb xauth xserver-xephyr
  imagemagick
  fonts-noto-cjk fonts-wqy-microhei
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
  fi
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
