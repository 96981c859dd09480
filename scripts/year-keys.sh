#!/usr/bin/env bash
# Writes the key script of one whole year: SCHOOL is front or left.
# The intro is skipped at poll 0, the school chosen on the title, the year
# played resting at the left verge with one walk onto the road, the gate
# reached after the calendar, the name さくら entered at the year end, then
# the records screen from the title, and Escape.
set -euo pipefail
school=$1
down=""
[ "$school" = left ] && down=1
start=8
cal=$((start + 11185))
echo "0 SPACE"; echo "1 -"
if [ -n "$down" ]; then echo "3 DOWN"; echo "4 -"; fi
echo "7 SPACE"; echo "8 -"
echo "20 LEFT"; echo "100 SPACE"
echo "$((start + 1400)) RIGHT"; echo "$((start + 1416)) -"
echo "$((start + 1520)) LEFT"; echo "$((start + 1560)) SPACE"
echo "$((start + 1600)) ENTER"; echo "$((start + 1602)) SPACE"
echo "$((start + 1700)) ENTER"; echo "$((start + 1702)) SPACE"
if [ -n "$down" ]; then
  # Into the gate of the first contested event: the president's scene.
  enter=$((start + 195 * 16))
  echo "$((enter + 240)) RIGHT"; echo "$((enter + 264)) -"
  for i in $(seq 0 9); do echo "$((enter + 300 + 20 * i)) SPACE"; echo "$((enter + 310 + 20 * i)) -"; done
  echo "$((enter + 520)) LEFT"; echo "$((enter + 544)) SPACE"
fi
echo "$((cal + 20)) -"
echo "$((cal + 40)) RIGHT"; echo "$((cal + 64)) UP"; echo "$((cal + 144)) -"
y=$((cal + 500))
echo "$y S"; echo "$((y + 2)) -"; echo "$((y + 4)) RIGHT"; echo "$((y + 6)) -"
for i in 0 1 2; do echo "$((y + 8 + 4 * i)) K"; echo "$((y + 10 + 4 * i)) -"; done
echo "$((y + 20)) RIGHT"; echo "$((y + 22)) -"; echo "$((y + 24)) R"; echo "$((y + 26)) -"
echo "$((y + 40)) SPACE"; echo "$((y + 42)) -"
echo "$((y + 50)) DOWN"; echo "$((y + 52)) -"
if [ -z "$down" ]; then echo "$((y + 54)) DOWN"; echo "$((y + 56)) -"; fi
echo "$((y + 58)) SPACE"; echo "$((y + 60)) -"
echo "$((y + 90)) ESC"
