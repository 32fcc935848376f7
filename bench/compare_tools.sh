#!/usr/bin/env bash
# Converts a generated corpus with quorbel-convert and, in the same run, with sox, ffmpeg and lame doing
# the same work, then prints wall and CPU time, x-realtime, Quorbel's wall-time ratio and peak memory.
# Run by hand on an otherwise idle machine; it reports figures and never fails on them.
set -euo pipefail

usage() {
    cat <<EOF
Usage: $(basename "$0") [-n N]
  -n N   run every measurement N times and keep the best wall time (default 1)
Environment: QUORBEL_BUILD_DIR, the build folder holding bin/quorbel-convert (default <repo>/build).
EOF
}

repeats=1
while getopts "n:h" option; do
    case $option in
    n) repeats=$OPTARG ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [[ $# -ne 0 || ! $repeats =~ ^[1-9][0-9]*$ ]]; then
    usage >&2
    exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=bench/converter.sh
source "$root/bench/converter.sh"
for tool in sox soxi ffmpeg lame /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "missing $tool; run $root/scripts/install-deps" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quorbel-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/corpus"

# The same work for every tool: 44.1 kHz, channels as the source, 128 kbit/s CBR, LAME quality 9, no
# bit reservoir, LAME's default lowpass, and lowpass 7000 Hz + highpass 100 Hz before the encoder.
# LAME picks joint stereo by default while Quorbel encodes plain stereo, so lame and ffmpeg are told to
# do the same; sox's mp3 writer can set neither the stereo mode nor the reservoir (it keeps both at
# LAME's defaults). lame alone is the floor: no filters, its own resampler where the source is not
# 44.1 kHz, and without the ReplayGain analysis its front end runs by default and Quorbel's encoder
# does not (about 15% of its time here). -m s leaves a mono source mono.
sox_one() {
    sox -V1 "$1" -C 128.9 "$2" rate 44100 lowpass 7000 highpass 100
}
ffmpeg_one() {
    ffmpeg -nostdin -hide_banner -loglevel error -y -i "$1" \
        -af aresample=44100,lowpass=f=7000,highpass=f=100 \
        -c:a libmp3lame -b:a 128k -compression_level 9 -reservoir 0 -joint_stereo 0 "$2"
}
lame_one() {
    lame --quiet -b 128 --cbr -q 9 --nores -m s --noreplaygain --resample 44.1 "$1" "$2"
}
# How people use these tools on a folder: one process per file, one after another.
convert_each() {
    local converter=$1 out=$2 source
    shift 2
    for source in "$@"; do
        "$converter" "$source" "$out/$(basename "${source%.*}").mp3"
    done
}
export -f sox_one ffmpeg_one lame_one convert_each

# Music-like and different on each channel: noise beds, two tones and two slow sweeps under slow
# tremolos. -R makes every run of the script produce the same corpus.
make_music() {
    local out=$1 rate=$2 channels=$3 seconds=$4 base=$5
    shift 5
    local -a beds=(pinknoise) tones=(sine mix "$base") sweeps=(sine mix 100-6000) lfos=(sine amod 0.3)
    if ((channels == 2)); then
        beds+=(brownnoise)
        tones+=(sine mix "$((base * 5 / 4))")
        sweeps+=(sine mix 8000-150)
        lfos+=(sine amod 0.2)
    fi
    sox -R -V1 -n -r "$rate" -c "$channels" "$@" "$out" \
        synth "$seconds" "${beds[@]}" synth "$seconds" "${tones[@]}" \
        synth "$seconds" "${sweeps[@]}" synth "$seconds" "${lfos[@]}" vol 0.5
}

echo "Generating the corpus in $work/corpus ..."
corpus=$work/corpus
mkdir -p "$corpus/long44" "$corpus/long48" "$corpus/batch"
make_music "$corpus/long44/long44.wav" 44100 2 600 220 -b 16
make_music "$corpus/long48/long48.wav" 48000 2 600 196 -b 24
encodings=("-b 8" "-b 16" "-b 24" "-e floating-point -b 32")
rates=(22050 32000 44100 48000)
for i in $(seq 0 39); do
    # Periods 4, 8 and 32 cover every format, channel count and rate; lengths run from 5 to 20 s.
    read -ra encoding <<<"${encodings[i % 4]}"
    make_music "$(printf '%s/batch/b%02d.wav' "$corpus" "$i")" "${rates[(i / 8) % 4]}" \
        "$((1 + (i / 4) % 2))" "$((5 + (i * 7) % 16))" "$((150 + 10 * i))" "${encoding[@]}"
done

audio_seconds() {
    soxi -D "$@" | awk '{ total += $1 } END { printf "%.3f", total }'
}

# Runs one tool over the files into a fresh folder under /usr/bin/time, and sets wall (seconds, taken
# around it with nanosecond resolution), cpu (user + system seconds) and kib (its peak RSS: on Linux the
# largest of the process and every child it waited for, so a loop's peak is its largest conversion).
# CPU above wall shows the stages overlapping on the second core.
measure() {
    local tool=$1 out=$2
    shift 2
    local -a command
    if [[ $tool == quorbel ]]; then
        # Quorbel converts all the files in one batch, with its settings in a throwaway home.
        command=(env -u XDG_CONFIG_HOME HOME="$work/home" "$quorbel" -o "$out" -r 44100 -c auto -b 128 "$@")
    else
        command=(bash -c 'convert_each "$@"' convert_each "${tool}_one" "$out" "$@")
    fi
    rm -rf "$out"
    mkdir -p "$out"
    local start end
    start=$(date +%s%N)
    if ! /usr/bin/time -f "%U %S %M" -o "$work/time.txt" "${command[@]}" >"$work/tool.log" 2>&1; then
        echo "$tool failed:" >&2
        cat "$work/tool.log" "$work/time.txt" >&2
        exit 1
    fi
    end=$(date +%s%N)
    wall=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }')
    local user system
    read -r user system kib < <(tail -n 1 "$work/time.txt")
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
    local made
    made=$(find "$out" -name '*.mp3' | wc -l)
    if ((made != $#)); then
        echo "$tool wrote $made MP3 files for $# sources" >&2
        exit 1
    fi
}

tools=(quorbel sox ffmpeg lame)
declare -A best_wall best_cpu peak_kib
results=()
verdicts=()
for name in long44 long48 batch; do
    files=("$corpus/$name"/*.wav)
    seconds=$(audio_seconds "${files[@]}")
    echo "Converting $name: ${#files[@]} file(s), ${seconds} s of audio, best of $repeats ..."
    for tool in "${tools[@]}"; do
        best_wall[$tool]=""
        peak_kib[$tool]=0
    done
    # Tools take turns within each round, so that a passing load spike spreads over all of them.
    for ((round = 0; round < repeats; ++round)); do
        for tool in "${tools[@]}"; do
            measure "$tool" "$work/out/$tool" "${files[@]}"
            if [[ -z ${best_wall[$tool]} ]] || awk -v a="$wall" -v b="${best_wall[$tool]}" 'BEGIN { exit !(a < b) }'; then
                best_wall[$tool]=$wall
                best_cpu[$tool]=$cpu
            fi
            if ((kib > peak_kib[$tool])); then
                peak_kib[$tool]=$kib
            fi
        done
    done
    rm -rf "$work/out"

    slower=()
    for tool in "${tools[@]}"; do
        row=$(awk -v c="$name" -v t="$tool" -v w="${best_wall[$tool]}" -v u="${best_cpu[$tool]}" \
            -v q="${best_wall[quorbel]}" -v s="$seconds" -v k="${peak_kib[$tool]}" \
            'BEGIN { printf "%-7s %-8s %7.2f %7.2f %11.1f %13.2f %8.1f", c, t, w, u, s / w, q / w, k / 1024 }')
        results+=("$row")
        if [[ $tool != quorbel ]] && awk -v q="${best_wall[quorbel]}" -v w="${best_wall[$tool]}" 'BEGIN { exit !(q > w) }'; then
            slower+=("$tool")
        fi
    done
    if ((${#slower[@]} == 0)); then
        speed="at least as fast as each of sox, ffmpeg and lame: yes"
    else
        speed="at least as fast as each of sox, ffmpeg and lame: NO, slower than ${slower[*]}"
    fi
    memory=$(awk -v k="${peak_kib[quorbel]}" \
        'BEGIN { printf "peak %.1f MB under 24 MB: %s", k / 1024, (k < 24 * 1024 ? "yes" : "NO") }')
    verdicts+=("$name: Quorbel $speed; $memory")
done

echo
echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg); best wall time of $repeats run(s)"
printf '%-7s %-8s %7s %7s %11s %13s %8s\n' corpus tool "wall s" "cpu s" x-realtime "quorbel/tool" "peak MB"
printf '%s\n' "${results[@]}"
echo
printf '%s\n' "${verdicts[@]}"
echo "(sox encodes joint stereo with the bit reservoir: its mp3 writer takes only -C bit rate and quality)"
