#!/usr/bin/env bash
# Draws the demo data beside the exe: background, logo, default photo, a few
# contestant photos and a roster in code page 936. Nothing is downloaded.
# Usage: make-demo-data.sh <folder of Trackvane.exe>
set -euo pipefail
out=${1:?folder}
data=$out/data
mkdir -p "$data"
stamp=$out/.demo-data
script=$(readlink -f "$0")
if [ -f "$stamp" ] && [ "$stamp" -nt "$script" ]; then exit 0; fi

font=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc

# A dark stadium-blue gradient with running-track lanes along the bottom.
convert -size 1920x1080 gradient:'#0b1f3a'-'#163d6b' \
    -fill none -stroke '#ffffff22' -strokewidth 6 \
    -draw "ellipse 960 1500 1500 700 180 360" \
    -draw "ellipse 960 1500 1380 620 180 360" \
    -draw "ellipse 960 1500 1260 540 180 360" \
    -quality 90 "$out/bg.jpg"

# The logo, 4:1, on a transparent ground.
convert -size 1600x400 xc:none \
    -fill '#f5b700' -draw "roundrectangle 20,60 380,340 60,60" \
    -fill '#0b1f3a' -draw "polygon 120,280 200,110 250,110 170,280" \
    -draw "polygon 210,280 290,110 340,110 260,280" \
    -font "$font" -pointsize 170 -fill white -annotate +430+250 "Trackvane 计时" \
    "$out/logo.png"

# A photo: a head-and-shoulders silhouette on a coloured ground, 3:4.
photo() { # file, ground colour, figure colour
    convert -size 300x400 gradient:"$2"-'#ffffff' \
        -fill "$3" -draw "circle 150,150 150,75" \
        -draw "ellipse 150,400 120,130 180,360" \
        -quality 90 "$1"
}
photo "$data/_face.jpg" '#9aa5b1' '#4a5561'

names=(张伟 李娜 王芳 刘洋 陈静 赵磊)
grounds=('#e57373' '#64b5f6' '#81c784' '#ffb74d')
figures=('#7f1d1d' '#0d3c61' '#1b5e20' '#7a4100')
for i in 0 1 2 3; do
    # Wine keeps Unix file names in UTF-8; the program asks for them in
    # code page 936 and Wine converts.
    photo "$data/${names[$i]}.jpg" "${grounds[$i]}" "${figures[$i]}"
done
printf '%s\r\n' "${names[@]}" | iconv -f UTF-8 -t GBK > "$data/psn.txt"
touch "$stamp"
