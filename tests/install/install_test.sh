#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and converts a WAV file with the installed converter. Its
# encoder module must come from the installed tree, found relative to the program.
# Usage: install_test.sh CMAKE BUILD_DIR BINDIR LIBDIR DATADIR (the last three relative to the prefix)
set -euo pipefail

cmake=$1 build=$2 bindir=$3 libdir=$4 datadir=$5

for tool in sox ffprobe ffmpeg; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" || { cat "$scratch/install.log"; fail "cmake --install"; }

converter=$prefix/$bindir/quorbel-convert
module=$prefix/$libdir/quorbel/lame_enc.so
desktop=$prefix/$datadir/applications/quorbel.desktop
icon=$prefix/$datadir/icons/hicolor/scalable/apps/quorbel.svg

[ -x "$converter" ] || fail "no $converter"
[ -f "$module" ] || fail "no $module"
[ ! -e "$prefix/$bindir/lame_enc.so" ] || fail "the encoder module was installed beside the programs"
# The GUI is optional here; when it is built, it is installed as a program too.
if [ -e "$build/bin/quorbel" ]; then [ -x "$prefix/$bindir/quorbel" ] || fail "the GUI was not installed"; fi

[ -f "$desktop" ] || fail "no $desktop"
grep -qx 'Exec=quorbel' "$desktop" || fail "the desktop entry does not start quorbel"
grep -qx 'Icon=quorbel' "$desktop" || fail "the desktop entry does not name the quorbel icon"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop" || fail "desktop entry"; fi
grep -q '<svg' "$icon" || fail "no SVG icon at $icon"

mkdir -p "$scratch/home" "$scratch/out"
sox -n -r 44100 -c 2 "$scratch/tone.wav" synth 2 sine 440 vol 0.5
# From another folder, with no library path and a home of its own, so only the installed tree can help.
run_converter() {
  (cd / && env -u LD_LIBRARY_PATH HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" \
     "$converter" -o "$scratch/out" -r 44100 -c stereo -b 128 "$scratch/tone.wav")
}

run_converter >"$scratch/convert.log" 2>&1 || { cat "$scratch/convert.log"; fail "the installed converter failed"; }
mp3=$scratch/out/tone.mp3
[ -s "$mp3" ] || fail "no MP3 written"
format=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 "$mp3")
[ "$format" = "mp3,44100,2" ] || fail "the MP3 is $format, not mp3,44100,2"
# Two seconds of stereo 16-bit audio; the Info tag lets the decoder drop the encoder's padding.
bytes=$(ffmpeg -v error -i "$mp3" -f s16le - | wc -c)
frames=$((bytes / 4))
[ "$frames" -ge 86000 ] && [ "$frames" -le 90500 ] || fail "decoded $frames frames, expected about 88200"

# Without the installed module the conversion must fail, so the success above did not come from elsewhere.
mv "$module" "$scratch/lame_enc.so"
if run_converter >"$scratch/missing.log" 2>&1; then fail "converted without the installed encoder module"; fi
grep -q 'Error loading lame_enc.dll' "$scratch/missing.log" || { cat "$scratch/missing.log"; fail "no module error"; }

echo "PASS"
