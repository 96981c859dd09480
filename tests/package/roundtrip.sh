#!/usr/bin/env bash
# The Debian package round trip: build it, install it (dpkg -i, then
# apt-get -f install), play a seeded headless year with the installed
# program, remove it. Skips (77) unless root with dpkg and cpack.
# Usage: roundtrip.sh BUILD_DIR
set -uo pipefail
build=$1
skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "not root"
for tool in dpkg dpkg-deb cpack apt-get; do command -v $tool > /dev/null || skip "no $tool"; done
if dpkg-query -W -f='${Status}' kurunoa 2> /dev/null | grep -q 'install ok installed'; then
  skip "a kurunoa package is already installed"
fi
[ -x /usr/bin/kurunoa ] && skip "/usr/bin/kurunoa exists and is not ours"

work=$(mktemp -d)
installed=0
cleanup() {
  [ $installed -eq 1 ] && dpkg -r kurunoa > /dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# dpkg and apt wait for each other's lock rather than fail.
with_lock() {
  for _ in $(seq 60); do
    out=$("$@" 2>&1) && return 0
    grep -qi 'lock' <<< "$out" || { echo "$out"; return 1; }
    sleep 2
  done
  echo "$out"
  return 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/kurunoa_*.deb) || fail "no package"
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/kurunoa ./usr/share/kurunoa/da/da3.txt ./usr/share/applications/kurunoa.desktop \
  ./usr/share/metainfo/org.kurunoa.Kurunoa.metainfo.xml \
  ./usr/share/icons/hicolor/{32x32,64x64,128x128,256x256}/apps/kurunoa.png; do
  grep -q " $f\$" <<< "$contents" || fail "$f is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libsdl2 libfluidsynth libfreetype libfontconfig libpng fonts-ipafont-gothic \
  fonts-noto-cjk-extra fonts-rocknroll soundfont; do
  grep -q "$p" <<< "$depends" || fail "Depends lacks $p: $depends"
done

installed=1
with_lock dpkg -i "$deb" > /dev/null || true
with_lock apt-get -f install -y -qq > /dev/null || fail "apt-get -f install"
dpkg-query -W -f='${Status}' kurunoa | grep -q 'install ok installed' || fail "not installed"

# A year: skip the intro, start at the front school, walk up until the year end.
mkdir -p "$work/home"
printf '0 SPACE\n1 -\n3 SPACE\n4 -\n10 UP\n' > "$work/keys.txt"
HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" \
  /usr/bin/kurunoa --headless --seed 7 --input "$work/keys.txt" --max-polls 12000 \
  --trace "$work/trace.jsonl" 2> "$work/stderr.txt"
status=$?
[ $status -eq 3 ] || { cat "$work/stderr.txt"; fail "exit status $status"; }
grep -q '"mode": 2' "$work/trace.jsonl" || fail "the year did not reach its end"
[ -d "$work/home/data/kurunoa/da" ] || fail "no register folder in the user's data folder"

with_lock dpkg -r kurunoa > /dev/null || fail "dpkg -r"
installed=0
[ -e /usr/bin/kurunoa ] && fail "the program is still there after removal"
echo "package round trip: $(basename "$deb") installed, played a year, removed"
