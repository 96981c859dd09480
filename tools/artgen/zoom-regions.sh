#!/usr/bin/env bash
# Before-and-after review pictures of the regions redrawn by hand or by code:
#   tools/artgen/zoom-regions.sh ARTGEN SHEETS_DIR SUFFIX OUT_DIR
# writes OUT_DIR/<region>-SUFFIX.png for each region below, each drawn over
# the ground the game shows it on (road, mood panel, its gate's banner).
set -euo pipefail
artgen=$1 sheets=$2 suffix=$3 out=$4
mkdir -p "$out"
zoom() { # name sheet x y w h maskx masky ground
  "$artgen" --zoom "$sheets/$2" "$3" "$4" "$5" "$6" "$7" "$8" "$9" "$out/$1-$suffix.png"
}
road=200,200,196 panel=0,60,100
zoom tacks chip0.png 32 192 32 32 32 160 $road
zoom cat-run1 chip0.png 160 256 32 32 160 224 $road
zoom cat-run2 chip0.png 192 256 32 32 192 224 $road
zoom star0 chip2.png 0 80 80 80 0 0 $panel
zoom star1 chip2.png 80 0 80 80 0 160 $panel
zoom star2 chip2.png 80 160 80 80 80 80 $panel
zoom star3 chip2.png 160 80 80 80 160 0 $panel
test=44,100,224 sports=0,152,148 art=240,128,28 vd=140,20,40 grad=214,28,40
label() { zoom "label-$1" chip3.png "$2" "$3" 52 11 "$2" $(($3 - 11)) "$4"; }
label shasei 160 131 $art
label chukan 160 153 $test
label supo-natsu 160 175 $sports
label kimatsu 160 197 $test
label bunka 160 219 $art
label taiiku 213 131 $sports
label ensou 213 153 $art
label supo-fuyu 213 175 $sports
label vd 213 197 $vd
label nenmatsu 213 219 $test
label sotsugyo 213 241 $grad
