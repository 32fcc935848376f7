#!/usr/bin/env bash
# Installs the Debian package on this machine, converts a generated WAV file with the installed
# quorbel-convert, and removes the package again. Needs root (or sudo); a machine that already has a
# quorbel package installed is left alone.
# Usage: package_test.sh PACKAGE.deb
set -euo pipefail

deb=$(realpath "$1")
fail() { echo "FAIL: $*" >&2; exit 1; }

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
if dpkg-query -W -f='${Status}' quorbel 2>/dev/null | grep -q 'install ok installed'; then
  echo "SKIP: a quorbel package is already installed here"
  exit 0
fi

# Every library the programs link is declared.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libqt6network6 libsndfile1 libsox3 libmp3lame0 qt6-qpa-plugins libqt6svg6; do
  grep -q "$library" <<<"$depends" || fail "$library is not among the dependencies"
done

scratch=$(mktemp -d)
cleanup() {
  "${sudo_cmd[@]}" dpkg --purge quorbel >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT

DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "$deb" \
  >"$scratch/install.log" 2>&1 || { cat "$scratch/install.log"; fail "the package does not install"; }

for path in /usr/bin/quorbel /usr/bin/quorbel-convert /usr/share/applications/quorbel.desktop \
            /usr/share/icons/hicolor/scalable/apps/quorbel.svg; do
  [ -e "$path" ] || fail "$path is not installed"
done
[ -n "$(dpkg -L quorbel | grep '/quorbel/lame_enc.so$')" ] || fail "the encoder module is not installed"

sox -n -r 44100 -c 2 -b 16 "$scratch/tone.wav" synth 2 sine 440
HOME=$scratch/home /usr/bin/quorbel-convert -o "$scratch/out" -b 128 "$scratch/tone.wav" \
  || fail "the installed quorbel-convert failed"
[ -f "$scratch/out/tone.mp3" ] || fail "no MP3 was written"
codec=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels \
  -of csv=p=0 "$scratch/out/tone.mp3")
[ "$codec" = "mp3,44100,2" ] || fail "the MP3 reads as '$codec'"

"${sudo_cmd[@]}" dpkg --purge quorbel >/dev/null
[ ! -e /usr/bin/quorbel-convert ] || fail "removing the package left /usr/bin/quorbel-convert"
echo "PASS: $(basename "$deb") installs, converts and is removed"
