#!/bin/sh
# Redraws the icon's PNG files from the SVG (run again after any change to the SVG).
# Usage: packaging/icons/rendre-png.sh   (needs rsvg-convert, package librsvg2-bin)
set -eu
cd "$(dirname "$0")"
nom=io.github.galvia.Galvia
for taille in 48 128 256; do
    mkdir -p "${taille}x${taille}"
    rsvg-convert -w "$taille" -h "$taille" "$nom.svg" -o "${taille}x${taille}/$nom.png"
done
