#!/bin/sh
# Redoes the README's screenshot (docs/galvia.png): Galvia runs under Xvfb on the sample
# pictures of samples/, F5 is pressed (all the pictures) and the screen is captured once the
# picture is shown and still.
#
# Usage: tools/capture-ecran.sh [path-to-galvia]   (default: build/src/app/galvia)
# Needs the packages xvfb, xauth, xdotool and imagemagick.
set -eu

racine=$(cd "$(dirname "$0")/.." && pwd)
galvia=${1:-$racine/build/src/app/galvia}
images=$racine/samples
sortie=$racine/docs/galvia.png
largeur=1024
hauteur=768

case $galvia in /*) ;; *) galvia=$(pwd)/$galvia ;; esac
if [ ! -x "$galvia" ]; then
    echo "Programme introuvable : $galvia (construire Galvia d'abord)" >&2
    exit 1
fi
for outil in xvfb-run xdotool import; do
    command -v "$outil" >/dev/null || { echo "Il manque $outil" >&2; exit 1; }
done

# An empty home folder: the fixed start folder does not exist there, so Galvia opens on its
# current folder, samples/. This also checks that it writes nothing there.
travail=$(mktemp -d "${TMPDIR:-/tmp}/galvia-capture.XXXXXX")
trap 'rm -rf "$travail"' EXIT INT TERM
mkdir "$travail/accueil" "$travail/run"
chmod 700 "$travail/run"
mkdir -p "$(dirname "$sortie")"

# What follows runs under Xvfb. Every wait is on a condition: the window is visible
# (xdotool --sync), then the screen has changed after F5 and no longer moves.
scene=$(cat <<'SCENE'
set -eu
galvia=$1 images=$2 sortie=$3 travail=$4 largeur=$5 hauteur=$6

cd "$images"
HOME=$travail/accueil XDG_RUNTIME_DIR=$travail/run QT_QPA_PLATFORM=xcb "$galvia" &
pid=$!
arreter() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
trap arreter EXIT

fenetre=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
if [ -z "$fenetre" ]; then
    echo "La fenêtre de Galvia n'est pas apparue" >&2
    exit 1
fi
# No window manager: the window is put over the whole screen and given the keyboard.
xdotool windowmove --sync "$fenetre" 0 0
xdotool windowsize --sync "$fenetre" "$largeur" "$hauteur" || true
xdotool mousemove --sync $((largeur / 2)) $((hauteur / 2))
xdotool windowfocus --sync "$fenetre"

empreinte() { import -window root ppm:- | md5sum | cut -d' ' -f1; }
stable() {
    # Waits until the screen differs from $1 and stays the same over three captures in a row.
    avant=$1 precedente= pareils=0 essais=0
    while [ "$essais" -lt 200 ]; do
        essais=$((essais + 1))
        courante=$(empreinte)
        if [ "$courante" != "$avant" ] && [ "$courante" = "$precedente" ]; then
            pareils=$((pareils + 1))
            [ "$pareils" -ge 2 ] && return 0
        else
            pareils=0
        fi
        precedente=$courante
        sleep 0.2
    done
    return 1
}

stable "" || { echo "La fenêtre principale ne se stabilise pas" >&2; exit 1; }
initiale=$(empreinte)
xdotool key --clearmodifiers F5
if ! stable "$initiale"; then
    echo "Rien n'a changé à l'écran après F5" >&2
    exit 1
fi
import -window root -strip "png:$sortie"
SCENE
)

xvfb-run -a -s "-screen 0 ${largeur}x${hauteur}x24 -nolisten tcp" \
    sh -c "$scene" capture "$galvia" "$images" "$sortie" "$travail" "$largeur" "$hauteur"

ecrits=$(find "$travail/accueil" -mindepth 1 | sed "s|^$travail/accueil|~|")
if [ -n "$ecrits" ]; then
    echo "AVERTISSEMENT : Galvia a écrit dans le dossier personnel au démarrage :" >&2
    printf '%s\n' "$ecrits" >&2
fi
echo "Capture écrite : $sortie"
