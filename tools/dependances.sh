#!/usr/bin/env bash
# Installs what Galvia needs to build, run and test on Debian 12 (as root, or with sudo).
# Pass "tests" to add the test tools (fuzzer, clang-format and clang-tidy, validators,
# package tools, and the X server, layouts and XTest of the keyboard tests). The screenshot
# script also wants xvfb, xauth, xdotool and imagemagick. Pass "mesures" for the benchmarks'
# references (vipsthumbnail).
set -euo pipefail
paquets=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
         liblcms2-dev libxcb1-dev
         libgl-dev fonts-dejavu-core)
if [ "${1:-}" = tests ]; then
  paquets+=(clang clang-format clang-tidy libclang-rt-14-dev desktop-file-utils appstream
            man-db debhelper dpkg-dev tigervnc-standalone-server x11-xkb-utils libxtst-dev
            python3-gi gir1.2-glib-2.0 imagemagick)
fi
if [ "${1:-}" = mesures ]; then
  paquets+=(libvips-tools)
fi
manque=()
for p in "${paquets[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || manque+=("$p")
done
[ ${#manque[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${manque[@]}"
