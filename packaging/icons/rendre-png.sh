#!/bin/sh
# Redessine les PNG de l'icône à partir du SVG (à relancer après toute retouche du SVG).
# Usage : packaging/icons/rendre-png.sh   (il faut rsvg-convert, paquet librsvg2-bin)
set -eu
cd "$(dirname "$0")"
nom=io.github.galvia.Galvia
for taille in 48 128 256; do
    mkdir -p "${taille}x${taille}"
    rsvg-convert -w "$taille" -h "$taille" "$nom.svg" -o "${taille}x${taille}/$nom.png"
done
