#!/usr/bin/env bash
# Makes the README's screenshots from headless runs: title, play, schedule,
# year end and records. Usage: screenshots.sh GAME_DIR OUT_DIR
set -euo pipefail
game=$1
out=$2
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$game/da" "$work/da"
rm -f "$work/da/da1.txt" "$work/da/da2.txt"

# Poll numbers: the intro is skipped at poll 0, the year starts at poll 7,
# and its first play frame is poll 8.
start=8
cal=$((start + 11185))
{
  echo "0 SPACE"; echo "1 -"
  echo "7 SPACE"; echo "8 -"
  # Rest on the left verge most of the year, with one walk onto the road.
  echo "20 LEFT"; echo "100 SPACE"
  echo "$((start + 1400)) RIGHT"; echo "$((start + 1416)) -"
  echo "$((start + 1520)) LEFT"; echo "$((start + 1560)) SPACE"
  echo "$((start + 1600)) ENTER"; echo "$((start + 1602)) SPACE"
  echo "$((start + 1700)) ENTER"; echo "$((start + 1702)) SPACE"
  # After the calendar: twelve steps right and up to the graduation gate.
  echo "$((cal + 20)) -"
  echo "$((cal + 40)) RIGHT"; echo "$((cal + 64)) UP"; echo "$((cal + 144)) -"
  # Year end (an empty register: rank 1): さくら.
  y=$((cal + 500))
  echo "$y S"; echo "$((y + 2)) -"; echo "$((y + 4)) RIGHT"; echo "$((y + 6)) -"
  for i in 0 1 2; do echo "$((y + 8 + 4 * i)) K"; echo "$((y + 10 + 4 * i)) -"; done
  echo "$((y + 20)) RIGHT"; echo "$((y + 22)) -"; echo "$((y + 24)) R"; echo "$((y + 26)) -"
  echo "$((y + 40)) SPACE"; echo "$((y + 42)) -"
  # Title again: the records entry.
  echo "$((y + 50)) DOWN"; echo "$((y + 52)) -"; echo "$((y + 54)) DOWN"; echo "$((y + 56)) -"
  echo "$((y + 58)) SPACE"; echo "$((y + 60)) -"
  echo "$((y + 90)) ESC"
} > "$work/keys.txt"

"$game/kurunoa" --headless --seed 2024 --app-dir "$work" --input "$work/keys.txt" \
  --screenshot "6:$out/title.png" \
  --screenshot "$((start + 1500)):$out/play.png" \
  --screenshot "$((start + 1650)):$out/schedule.png" \
  --screenshot "$((y + 36)):$out/yearend.png" \
  --screenshot "$((y + 80)):$out/records.png"
echo "screenshots written to $out"
