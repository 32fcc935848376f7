#!/usr/bin/env bash
# One quorbel-convert batch over 500 short WAV files of mixed formats, with the process's resident memory
# sampled every 100 ms, then every MP3 decoded. Run by hand; it prints figures and fails only when a file
# is missing, does not decode, or the batch does not end as converted.
set -euo pipefail

usage() {
    cat <<EOF
Usage: $(basename "$0") [-n FILES] [-x TIMES] [-s SEED] [-k]
  -n FILES  how many WAV files to generate and convert (default 500)
  -x TIMES  list every file this many times in the one batch, for a longer soak without more
            generating; the repeats are written as "name (2).mp3" and so on (default 1)
  -s SEED   seed of the corpus (default 1); the same seed gives the same files
  -k        keep the work folder and print its path
Environment: QUORBEL_BUILD_DIR, the build folder holding bin/quorbel-convert (default <repo>/build).
EOF
}

count=500
times=1
seed=1
keep=0
while getopts "n:x:s:kh" option; do
    case $option in
    n) count=$OPTARG ;;
    x) times=$OPTARG ;;
    s) seed=$OPTARG ;;
    k) keep=1 ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [[ $# -ne 0 || ! $count =~ ^[1-9][0-9]*$ || ! $times =~ ^[1-9][0-9]*$ || ! $seed =~ ^[0-9]+$ ]]; then
    usage >&2
    exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=bench/converter.sh
source "$root/bench/converter.sh"
for tool in sox soxi mpg123; do
    if ! command -v "$tool" >/dev/null; then
        echo "missing $tool; run $root/scripts/install-deps" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quorbel-soak.XXXXXX")
cleanup() {
    if ((keep)); then
        echo "work folder kept: $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/in" "$work/out"

# The file list is drawn in bash from the seed and the audio by sox with -R, so a seed always gives the
# same corpus. Two sox processes run at a time.
echo "Generating $count WAV files (seed $seed) in $work/in ..."
RANDOM=$seed
rates=(8000 11025 16000 22050 32000 44100 48000)
encodings=("-b 16" "-b 24" "-e floating-point -b 32")
for ((i = 0; i < count; ++i)); do
    rate=${rates[RANDOM % ${#rates[@]}]}
    channels=$((1 + RANDOM % 2))
    encoding=${encodings[RANDOM % ${#encodings[@]}]}
    centis=$((20 + RANDOM % 281))  # 0.20 .. 3.00 s
    tone=$((100 + RANDOM % 3000))
    printf '%s\n' "$(printf '%s/in/s%04d.wav' "$work" "$i") $rate $channels $centis $tone $encoding"
done >"$work/corpus.txt"
# shellcheck disable=SC2016
xargs -P 2 -L 1 bash -c '
    out=$1 rate=$2 channels=$3 centis=$4 tone=$5
    shift 5
    seconds=$(printf "%d.%02d" $((centis / 100)) $((centis % 100)))
    sox -R -V1 -n -r "$rate" -c "$channels" "$@" "$out" \
        synth "$seconds" sine "$tone" synth "$seconds" pinknoise mix synth "$seconds" sine amod 0.7 vol 0.5
' generate <"$work/corpus.txt"
sources=("$work"/in/*.wav)
if ((${#sources[@]} != count)); then
    echo "generated ${#sources[@]} files instead of $count" >&2
    exit 1
fi

# Rate and channels follow each source, so every resampler path and both channel counts take part.
batch=()
for ((round = 0; round < times; ++round)); do
    batch+=("${sources[@]}")
done
total=${#batch[@]}
echo "Converting $total files in one batch, sampling VmRSS every 100 ms ..."
log=$work/convert.log
: >"$log"
start=$EPOCHREALTIME
env -u XDG_CONFIG_HOME HOME="$work/home" "$quorbel" -o "$work/out" -r auto -c auto -b 128 "${batch[@]}" >"$log" 2>&1 &
pid=$!
# One line per sample: milliseconds since the start, VmRSS in kB, files converted so far. Builtins only
# (but sleep), so that the interval stays near 100 ms: the log is followed through an open descriptor,
# and a line still being written is kept until its end arrives.
samples=$work/rss.txt
: >"$samples"
exec {logfd}<"$log"
converted_so_far=0
partial=""
while kill -0 "$pid" 2>/dev/null; do
    rss=""
    while read -r key value _; do
        if [[ $key == VmRSS: ]]; then
            rss=$value
            break
        fi
    done 2>/dev/null <"/proc/$pid/status" || true
    while IFS= read -r line <&"$logfd"; do
        line=$partial$line
        partial=""
        if [[ $line == *"Converting status: OK." ]]; then
            ((++converted_so_far))
        fi
    done
    partial+=$line
    if [[ -n $rss ]]; then
        now=$EPOCHREALTIME
        echo "$(((${now//[.,]/} - ${start//[.,]/}) / 1000)) $rss $converted_so_far" >>"$samples"
    fi
    sleep 0.1
done
exec {logfd}<&-
status=0
wait "$pid" || status=$?
end=$EPOCHREALTIME
wall=$(awk -v us=$((${end//[.,]/} - ${start//[.,]/})) 'BEGIN { printf "%.2f", us / 1e6 }')

converted=$(grep -c 'Converting status: OK\.$' "$log" || true)
audio=$(soxi -D "${sources[@]}" | awk -v times="$times" '{ total += $1 } END { printf "%.1f", total * times }')
echo
echo "exit status $status; last log line: $(tail -n 1 "$log" | sed -E 's/^[0-9]+  [0-9:]+  //')"
echo "files converted: $converted of $total; wall time ${wall} s for ${audio} s of audio"
echo "RSS samples: $(wc -l <"$samples")"

# RSS once 50 files are done (the warm-up: libsox, LAME and the rings are all in use by then), the peak,
# the last sample, and two growth figures over the samples after the warm-up: a least-squares slope of
# RSS over files converted, and the median of the last tenth of those samples minus that of the first.
awk -v warm=50 '
    function median(from, to,    n, i, j, t, v) {
        n = 0
        for (i = from; i <= to; ++i) v[++n] = after[i]
        for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
        return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    {
        ++count; last = $2
        if ($2 > peak) peak = $2
        if ($3 >= warm) {
            if (!n) atwarm = $2
            after[++n] = $2; sx += $3; sy += $2; sxx += $3 * $3; sxy += $3 * $2
        }
    }
    END {
        if (n == 0) { printf "no RSS sample after %d files (%d samples in all)\n", warm, count; exit }
        printf "RSS after %d files: %.1f MB; peak %.1f MB; at the end %.1f MB\n", warm, atwarm / 1024, peak / 1024, last / 1024
        if (n > 2 && n * sxx - sx * sx > 0)
            printf "growth after the warm-up: %+.1f kB per 100 files (least squares over %d samples)\n", 100 * (n * sxy - sx * sy) / (n * sxx - sx * sx), n
        tenth = int(n / 10); if (tenth < 1) tenth = 1
        printf "median RSS of the last tenth minus the first tenth after the warm-up: %+d kB (%d samples each)\n", median(n - tenth + 1, n) - median(1, tenth), tenth
    }' "$samples"

# Every MP3 must decode and carry its Info tag, and last as long as its source within 5 ms.
echo "Decoding every MP3 with mpg123 ..."
# shellcheck disable=SC2016
find "$work/in" -name '*.wav' -print0 | xargs -0 -P 2 -n 1 bash -c '
    out=$1 times=$2 wav=$3
    name=$(basename "${wav%.wav}")
    decoded=$(mktemp --suffix=.wav)
    trap "rm -f $decoded" EXIT
    for ((n = 1; n <= times; ++n)); do
        mp3=$out/$name.mp3
        if ((n > 1)); then mp3="$out/$name ($n).mp3"; fi
        if [[ ! -f $mp3 ]]; then echo "missing $mp3"; continue; fi
        if ! head -c 64 "$mp3" | grep -aq -e Info -e Xing; then echo "untagged $mp3"; fi
        if ! mpg123 -q -w "$decoded" "$mp3" 2>/dev/null; then echo "undecodable $mp3"; continue; fi
        echo "length $(soxi -D "$wav") $(soxi -D "$decoded")"
    done
' check "$work/out" "$times" >"$work/check.txt"
problems=$(grep -vc '^length' "$work/check.txt" || true)
awk '/^length/ { ++n; d = $3 - $2; if (d < 0) d = -d; if (d > worst) worst = d }
     END { printf "decoded: %d; largest length difference to the source: %.1f ms\n", n, worst * 1000 }' "$work/check.txt"
long=$(awk '/^length/ { d = $3 - $2; if (d < 0) d = -d; if (d > 0.005) ++n } END { print n + 0 }' "$work/check.txt")
grep -v '^length' "$work/check.txt" | head -n 20 || true

if ((status != 0 || converted != total || problems != 0 || long != 0)); then
    echo "FAILED: exit status $status, $converted converted, $problems missing/untagged/undecodable, $long off in length" >&2
    keep=1
    exit 1
fi
echo "OK"
