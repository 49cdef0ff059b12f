#!/bin/sh
# Builds Galvia's Debian package (dpkg-buildpackage -us -uc -b) in a copy of the tree, to
# leave nothing in the sources, then checks that the .deb holds the program, the launcher,
# the AppStream metadata, the icons and the manual page.
#
# Usage: tools/paquet.sh [output-folder]      (default: build-paquet/ at the top of the tree)
# Needs the packages dpkg-dev, debhelper, cmake and qt6-base-dev.
set -eu

racine=$(cd "$(dirname "$0")/.." && pwd)
sortie=${1:-$racine/build-paquet}
travail=$(mktemp -d "${TMPDIR:-/tmp}/galvia-paquet.XXXXXX")
trap 'rm -rf "$travail"' EXIT INT TERM

# Copy of the sources: tracked or new files, without what .gitignore leaves out (build
# folders, leftovers of an earlier Debian build).
mkdir "$travail/galvia"
if git -C "$racine" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$racine" && git ls-files -z --cached --others --exclude-standard) |
        tar -C "$racine" --null --ignore-failed-read -T - -cf - 2>/dev/null |
        tar -C "$travail/galvia" -xf -
else
    tar -C "$racine" --exclude='./build*' --exclude=./.git --exclude=./debian/galvia \
        --exclude=./debian/.debhelper -cf - . | tar -C "$travail/galvia" -xf -
fi

echo "== Construction du paquet dans $travail"
(cd "$travail/galvia" &&
    DEB_BUILD_OPTIONS="parallel=2 ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -us -uc -b)

set -- "$travail"/galvia_*.deb
if [ ! -f "$1" ]; then
    echo "ÉCHEC : dpkg-buildpackage n'a produit aucun paquet galvia" >&2
    exit 1
fi
deb=$1

echo "== Vérification de $(basename "$deb")"
contenu=$(dpkg-deb -c "$deb" | awk '{print $NF}')
manque=0
for chemin in \
    ./usr/bin/galvia \
    ./usr/share/applications/io.github.galvia.Galvia.desktop \
    ./usr/share/metainfo/io.github.galvia.Galvia.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/io.github.galvia.Galvia.svg \
    ./usr/share/icons/hicolor/48x48/apps/io.github.galvia.Galvia.png \
    ./usr/share/icons/hicolor/128x128/apps/io.github.galvia.Galvia.png \
    ./usr/share/icons/hicolor/256x256/apps/io.github.galvia.Galvia.png \
    ./usr/share/man/man1/galvia.1.gz; do
    if ! printf '%s\n' "$contenu" | grep -qxF "$chemin"; then
        echo "MANQUE : $chemin" >&2
        manque=1
    fi
done

# The dependencies come from dh_shlibdeps: Qt Widgets must be there without being written by hand.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for paquet in libqt6widgets6 qt6-qpa-plugins; do
    if ! printf '%s\n' "$depends" | tr ',' '\n' | grep -q "^ *$paquet\b"; then
        echo "MANQUE dans Depends : $paquet" >&2
        manque=1
    fi
done

if command -v lintian >/dev/null 2>&1; then
    echo "== lintian (pour information)"
    lintian --info "$deb" || true
fi

if [ "$manque" -ne 0 ]; then
    echo "ÉCHEC : paquet incomplet" >&2
    exit 1
fi

mkdir -p "$sortie"
cp "$deb" "$sortie/"
echo "== Paquet prêt : $sortie/$(basename "$deb")"
