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
y=$((cal + 500))  # the year end
# The whole year at the front school, the name entry and the records screen.
bash "$(dirname "$0")/year-keys.sh" front > "$work/keys.txt"

"$game/kurunoa" --headless --seed 2024 --app-dir "$work" --input "$work/keys.txt" \
  --screenshot "6:$out/title.png" \
  --screenshot "$((start + 1500)):$out/play.png" \
  --screenshot "$((start + 1650)):$out/schedule.png" \
  --screenshot "$((y + 36)):$out/yearend.png" \
  --screenshot "$((y + 80)):$out/records.png"
echo "screenshots written to $out"
