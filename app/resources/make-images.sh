#!/usr/bin/env bash
# Draws the main window's picture (Image1.png, 500 x 350) and the program's icon
# (FMerilon.png and FMerilon.ico, 54 x 54, 256 colours) with ImageMagick.
# The results are committed; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")"

bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
regular=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
mono=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf

# A till receipt beside a fiscal printer on a blue gradient.
convert -size 500x350 gradient:'rgb(40,40,140)'-'rgb(128,128,255)' \
    -fill 'rgb(60,60,70)' -draw 'roundrectangle 300,190 470,300 12,12' \
    -fill 'rgb(90,90,100)' -draw 'rectangle 320,175 450,195' \
    -fill 'rgb(30,200,90)' -draw 'rectangle 440,275 455,283' \
    -fill 'rgb(20,20,25)' -draw 'rectangle 330,215 440,235' \
    -fill 'rgb(120,255,160)' -font "$mono" -pointsize 14 -draw "text 336,231 '  12.50'" \
    -fill white -stroke 'rgb(200,200,210)' \
    -draw 'polygon 340,40 430,40 430,176 425,181 420,176 415,181 410,176 405,181 400,176 395,181 390,176 385,181 380,176 375,181 370,176 365,181 360,176 355,181 350,176 345,181 340,176' \
    -stroke none -fill 'rgb(80,80,90)' -font "$mono" -pointsize 9 \
    -draw "text 348,58 'FISKALNI RACUN'" \
    -draw "text 348,78 'Hljeb     1.20'" \
    -draw "text 348,92 'Mlijeko   2.10'" \
    -draw "text 348,106 'Kafa      8.40'" \
    -draw "text 348,120 'Voda      0.80'" \
    -draw "line 348,130 422,130" \
    -draw "text 348,146 'UKUPNO   12.50'" \
    -fill white -font "$bold" -pointsize 46 -draw "text 28,120 'FMerilon'" \
    -fill 'rgb(166,202,240)' -font "$regular" -pointsize 17 -draw "text 32,152 'Kappa fiskalni uredjaji'" \
    -fill 'rgb(220,220,255)' -pointsize 12 \
    -draw "text 32,230 'kase  ->  komandni fajlovi'" \
    -draw "text 32,250 'fiskalna baza  ->  PARTNER'" \
    -draw "text 32,270 'fiskalni stampac'" \
    Image1.png

# The icon: a small receipt with an "F" on a rounded blue square.
convert -size 54x54 xc:none \
    -fill 'rgb(128,128,255)' -stroke 'rgb(40,40,140)' -strokewidth 2 -draw 'roundrectangle 1,1 52,52 9,9' \
    -stroke none -fill white -draw 'polygon 14,6 40,6 40,44 36,48 32,44 28,48 24,44 20,48 16,44 14,46' \
    -fill 'rgb(40,40,140)' -font "$bold" -pointsize 26 -draw "text 17,34 'F'" \
    -fill 'rgb(166,202,240)' -draw 'rectangle 18,38 36,40' \
    -colors 256 PNG8:FMerilon.png
convert FMerilon.png -define icon:auto-resize=54,32,16 FMerilon.ico
