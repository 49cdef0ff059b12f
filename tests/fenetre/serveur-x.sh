#!/usr/bin/env bash
# Runs a command on a private X server with a given keyboard layout:
#   serveur-x.sh LAYOUT COMMAND [ARG...]
# The server (TigerVNC's X server, which takes a layout change from setxkbmap as a real
# desktop does) picks a free display itself; the command sees it in DISPLAY, and the
# server ends with the command.
set -euo pipefail
disposition="$1"
shift
rep="$(mktemp -d)"
mkfifo "$rep/affichage"
Xtigervnc -displayfd 3 -geometry 1280x1024 -depth 24 -SecurityTypes None -rfbport -1 \
    -nolisten tcp 3>"$rep/affichage" >"$rep/journal" 2>&1 &
serveur=$!
trap 'kill "$serveur" 2>/dev/null; wait "$serveur" 2>/dev/null; rm -rf "$rep"' EXIT
read -r numero <"$rep/affichage"
export DISPLAY=":$numero"
setxkbmap "$disposition"
"$@"
