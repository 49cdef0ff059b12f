#!/usr/bin/env bash
# Draws Galvia's sample pictures into samples/ with ImageMagick (run from anywhere).
set -euo pipefail
cd "$(dirname "$0")/../samples"
c() { convert "$@"; }

# Larger than a 1920 x 1080 screen both ways: a landscape at dusk.
c -size 2400x1600 gradient:'#1b2a49-#e8925a' \
  -fill '#f6d365' -draw 'circle 1700,900 1700,1060' \
  -fill '#2d3a2e' -draw 'polygon 0,1600 0,1150 500,900 900,1180 1400,950 1900,1200 2400,1000 2400,1600' \
  -fill '#1f2a20' -draw 'polygon 0,1600 0,1350 700,1200 1300,1420 2000,1250 2400,1400 2400,1600' \
  -quality 85 paysage.jpg
# Wider than the screen only: a panorama.
c -size 3200x600 gradient:'#87ceeb-#e0f6ff' \
  -fill '#4a7c59' -draw 'polygon 0,600 0,420 400,300 800,430 1300,280 1800,440 2300,310 2800,420 3200,330 3200,600' \
  -fill '#ffffff' -draw 'ellipse 600,120 120,40 0,360' -draw 'ellipse 2200,90 160,45 0,360' \
  -quality 85 panorama.jpg
# A small picture.
c -size 120x90 xc:'#fef9e7' -fill '#c0392b' -draw 'circle 60,45 60,15' \
  -fill '#27ae60' -draw 'rectangle 56,5 64,20' petite.gif
c -size 1280x853 radial-gradient:'#fdfbfb-#3d5a80' \
  -fill '#ee6c4d' -draw 'roundrectangle 400,250 880,600 40,40' -quality 85 coucher.jpeg
c -size 800x1000 gradient:'#ffecd2-#fcb69f' \
  -fill '#6a4c93' -draw 'circle 400,380 400,200' -fill '#1982c4' -draw 'rectangle 390,560 410,980' \
  -quality 85 Fleur.JPG
c -size 320x240 pattern:checkerboard -fill '#1565c0' -colorize 30 -type truecolor BMP3:damier.bmp
printf 'Galvia : ce fichier n est pas une image.\n' > lisezmoi.txt

mkdir -p Vacances Jardin Archives
for i in 1 2 3; do
  c -size 1024x768 gradient:"#0077b6-#90e0ef" -fill '#f4a261' \
    -draw "rectangle 0,$((500 + 40 * i)) 1024,768" -fill '#e9c46a' -draw "circle $((200 * i)),200 $((200 * i)),$((240 + 20 * i))" \
    -quality 85 "Vacances/plage-$i.jpg"
done
c -size 900x1200 gradient:'#d8f3dc-#40916c' -fill '#ff006e' -draw 'circle 450,500 450,300' -quality 85 Jardin/rose.jpg
c -size 1200x900 gradient:'#fefae0-#dda15e' -fill '#606c38' -draw 'ellipse 600,450 400,200 0,360' -quality 85 Jardin/haie.jpg
c -size 200x150 xc:'#264653' -fill '#e76f51' -draw 'polygon 100,20 180,130 20,130' Archives/triangle.gif
c -size 300x200 gradient:'#000000-#ffffff' -type truecolor BMP3:Archives/degrade.bmp
