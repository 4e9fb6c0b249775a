#!/usr/bin/env bash
# Installs, with apt-get, every package the builds and tests need that is not there yet.
set -euo pipefail

packages=(
  cmake make pkg-config g++ clang libclang-rt-14-dev
  zlib1g-dev libzip-dev googletest
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools libz-mingw-w64-dev
  wine wine32:i386 wine64 libwine-dev xvfb xauth
  chromium
  wixl msitools icoutils zip unzip osslsigncode openssl
)
# The page checks run on Node.js; Debian's npm brings it along when neither is there yet.
command -v npm >/dev/null || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
