#!/usr/bin/env bash
# quorbel-convert batches whose output folder fails them midway: it fills up, it turns read-only, it
# cannot be created, and it fills up just as a file's last buffered bytes are written. Each must end on
# the failure's own log lines with exit status 1, leave every file that was in the folder before
# untouched, and every MP3 it reports converted must be tagged, decode and last as long as its source.
# Run by hand. As root the folders are small tmpfs mounts (full, then remounted read-only); otherwise a
# file size limit stands in for the full disk and chmod for the read-only folder.
set -euo pipefail

usage() {
    cat <<EOF
Usage: $(basename "$0") [-k]
  -k   keep the work folder and print its path
Environment: QUORBEL_BUILD_DIR, the build folder holding bin/quorbel-convert (default <repo>/build).
EOF
}

keep=0
while getopts "kh" option; do
    case $option in
    k) keep=1 ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [[ $# -ne 0 ]]; then
    usage >&2
    exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=bench/converter.sh
source "$root/bench/converter.sh"
for tool in sox soxi mpg123 sha256sum; do
    if ! command -v "$tool" >/dev/null; then
        echo "missing $tool; run $root/scripts/install-deps" >&2
        exit 1
    fi
done
as_root=0
if (($(id -u) == 0)); then
    as_root=1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quorbel-fault.XXXXXX")
mounts=()
pid=""
cleanup() {
    if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then
        # It may be stopped for a remount attempt; a stopped process would not act on the TERM.
        kill -CONT "$pid" 2>/dev/null || true
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    local mount_point
    for mount_point in "${mounts[@]}"; do
        umount "$mount_point" 2>/dev/null || umount -l "$mount_point" 2>/dev/null || true
    done
    chmod -R u+w "$work" 2>/dev/null || true
    if ((keep)); then
        echo "work folder kept: $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir -p "$work/home" "$work/in"

# Eight 6-second files and, fifth, a 30-second one: at 128 kbit/s about 96 kB of MP3 each, and 480 kB
# for the long one, which is where the full folder gives out.
echo "Generating the sources in $work/in ..."
sources=()
for i in 1 2 3 4 5 6 7 8; do
    seconds=6
    if ((i == 5)); then
        seconds=30
    fi
    source=$work/in/f0$i.wav
    sox -R -V1 -n -r 44100 -c 2 -b 16 "$source" synth "$seconds" sine $((200 * i)) synth "$seconds" pinknoise mix vol 0.5
    sources+=("$source")
done
batch=("${sources[@]}")

make_mount() {
    local mount_point=$1 size=$2
    mkdir -p "$mount_point"
    mount -t tmpfs -o "size=$size,mode=0755" quorbel-fault "$mount_point"
    mounts+=("$mount_point")
}

# Files that were in the output folder before the batch; f02.mp3 stands where the second output would go.
seed_folder() {
    local folder=$1
    mkdir -p "$folder"
    head -c 65536 /dev/urandom >"$folder/keep.bin"
    printf 'an older f02.mp3 that must stay as it is\n' >"$folder/f02.mp3"
    printf 'notes\n' >"$folder/notes.txt"
    touch -d '2001-02-03 04:05:06' "$folder"/*
    fingerprint "$folder" >"$work/before.txt"
}

fingerprint() {
    local file
    for file in "$1/keep.bin" "$1/f02.mp3" "$1/notes.txt"; do
        echo "$(sha256sum <"$file" | cut -d' ' -f1) $(stat -c '%n %s %Y %i' "$file")"
    done
}

# Starts the batch in the background; the caller waits for $pid.
start_batch() {
    local out=$1 log=$2
    shift 2
    : >"$log"
    env -u XDG_CONFIG_HOME HOME="$work/home" "$@" "$quorbel" -o "$out" -r 44100 -c auto -b 128 "${batch[@]}" >"$log" 2>&1 &
    pid=$!
}

finish_batch() {
    status=0
    wait "$pid" || status=$?
    pid=""
}

converted_in() {
    grep -c 'Converting status: OK\.$' "$1" || true
}

text_of() {
    sed -E 's/^[0-9]+  [0-9:]+  //' "$1"
}

failures=0
fail() {
    echo "  FAILED: $*"
    failures=$((failures + 1))
}

# The verdict every scenario shares: exit status 1, the expected line, no "all done", the old files as
# they were and nothing in the folder that the log does not name, and every MP3 the log reports
# converted tagged, decodable and as long as its source.
judge() {
    local name=$1 log=$2 folder=$3 expected=$4 last=$5
    echo "  exit status $status; $(converted_in "$log") file(s) converted; the log ends:"
    tail -n 4 "$log" | sed 's/^/    /'
    ((status == 1)) || fail "$name: exit status $status, not 1"
    text_of "$log" | grep -qxF -- "$expected" || fail "$name: no line \"$expected\""
    [[ $(text_of "$log" | tail -n 1) == "$last" ]] || fail "$name: the last line is not \"$last\""
    if text_of "$log" | grep -qxF 'Finished converting, all done'; then
        fail "$name: the batch says all done"
    fi
    if [[ -d $folder ]]; then
        if [[ -f $work/before.txt ]]; then
            if fingerprint "$folder" | cmp -s - "$work/before.txt"; then
                echo "  the 3 files that were there before: unchanged (content, size, time, inode)"
            else
                fail "$name: a file that was there before changed"
                diff <(fingerprint "$folder") "$work/before.txt" | sed 's/^/    /' || true
            fi
        fi
        local entry
        for entry in "$folder"/*; do
            [[ -e $entry ]] || continue
            case ${entry##*/} in
            keep.bin | f02.mp3 | notes.txt) ;;
            *) text_of "$log" | grep -qxF "Destination: $entry." || fail "$name: ${entry##*/} is in the folder, named by no line" ;;
            esac
        done
        local dest
        while IFS= read -r dest; do
            dest=${dest#Destination: }
            dest=${dest%.}
            if [[ ! -e $dest ]]; then
                echo "  $(basename "$dest"): not created"
            elif ! head -c 64 "$dest" | grep -aq -e Info -e Xing; then
                echo "  $(basename "$dest"): $(stat -c %s "$dest") bytes, no Info tag, decodes: $(decodes "$dest")"
            else
                echo "  $(basename "$dest"): $(stat -c %s "$dest") bytes, Info tag, decodes: $(decodes "$dest")"
            fi
        done < <(text_of "$log" | grep '^Destination: ')
        local source mp3 lengths
        while IFS=$'\t' read -r source mp3; do
            head -c 64 "$mp3" | grep -aq -e Info -e Xing || fail "$name: $(basename "$mp3") reported converted but has no Info tag"
            if [[ $(decodes "$mp3") != yes ]]; then
                fail "$name: $(basename "$mp3") reported converted but does not decode"
                continue
            fi
            mpg123 -q -w "$work/decoded.wav" "$mp3"
            lengths="$(soxi -D "$source") $(soxi -D "$work/decoded.wav")"
            if ! awk -v l="$lengths" 'BEGIN { split(l, s, " "); d = s[2] - s[1]; exit !(d < 0.005 && d > -0.005) }'; then
                fail "$name: $(basename "$mp3") reported converted but lasts ${lengths#* } s, its source ${lengths%% *} s"
            fi
        done < <(ok_outputs "$log")
    fi
}

decodes() {
    if mpg123 -q -t "$1" 2>/dev/null; then echo yes; else echo no; fi
}

# Source and destination, tab-separated, of each block that ends with "Converting status: OK.".
ok_outputs() {
    text_of "$1" | awk '/^Source:  / { source = substr($0, 10); sub(/\.$/, "", source) }
                        /^Destination: / { dest = substr($0, 14); sub(/\.$/, "", dest) }
                        /^Converting status: OK\.$/ { print source "\t" dest }'
}

echo
echo "1. The output folder fills up during the fifth file"
if ((as_root)); then
    # Room for the old files and four MP3 files, not for the fifth.
    make_mount "$work/full" 600k
    folder=$work/full/out
    seed_folder "$folder"
    echo "  tmpfs of 600 kB at $work/full, $(df -k --output=avail "$work/full" | tail -n 1 | tr -d ' ') kB free"
    start_batch "$folder" "$work/full.log"
else
    # No mount without root: a file size limit fails the long file's writes the same way.
    folder=$work/full-out
    seed_folder "$folder"
    echo "  not root: files are limited to 200 kB (ulimit -f), SIGXFSZ ignored"
    start_batch "$folder" "$work/full.log" bash -c 'trap "" XFSZ; ulimit -f 200; exec "$@"' limit
fi
finish_batch
judge full "$work/full.log" "$folder" "Output file write error" "Converting status: ERROR."
rm -f "$work/before.txt"

echo
echo "2. The output folder turns read-only midway, once two files are done"
if ((as_root)); then
    make_mount "$work/ro" 64m
    folder=$work/ro/out
else
    folder=$work/ro-out
fi
seed_folder "$folder"
start_batch "$folder" "$work/ro.log"
until (($(converted_in "$work/ro.log") >= 2)) || ! kill -0 "$pid" 2>/dev/null; do
    sleep 0.001
done
attempts=0
if ((as_root)); then
    # A remount to read-only is refused while a file is open for writing, and the moments between two
    # files are too short to hit from a shell; so the batch is stopped (SIGSTOP) for each attempt and
    # resumed after it, until one lands where no file is open.
    while kill -STOP "$pid" 2>/dev/null; do
        if mount -o remount,ro "$work/ro" 2>/dev/null; then
            kill -CONT "$pid"
            break
        fi
        kill -CONT "$pid"
        attempts=$((attempts + 1))
        sleep 0.00$((RANDOM % 10))
    done
    echo "  remounted read-only after $attempts refused attempt(s), with $(converted_in "$work/ro.log") file(s) converted"
else
    chmod a-w "$folder"
    echo "  made read-only (chmod a-w) with $(converted_in "$work/ro.log") file(s) converted"
fi
finish_batch
failed_name=$(text_of "$work/ro.log" | grep '^Destination: ' | tail -n 1 | sed -E 's/^Destination: (.*)\.$/\1/')
judge read-only "$work/ro.log" "$folder" "Error creating file $failed_name" "Converting status: ERROR."
rm -f "$work/before.txt"

echo
echo "3. The output folder does not exist and cannot be created (its parent is read-only)"
if ((as_root)); then
    mount -o remount,ro "$work/ro"
    folder=$work/ro/new/sub
else
    folder=$work/ro-out/new/sub
fi
start_batch "$folder" "$work/mkdir.log"
finish_batch
judge mkdir "$work/mkdir.log" "$folder" "Fail to create folder $folder !" "Fail to create folder $folder !"
if [[ -e $folder ]]; then
    fail "mkdir: $folder exists"
fi

echo
echo "4. The output folder fills up exactly when the last buffered bytes of the file are written"
# The encoder writes through a stdio buffer; what is still in it reaches the disk only when the file is
# closed. The folder is sized to take every page of the MP3 but its last one.
batch=("$work/in/f01.wav")
start_batch "$work/probe" "$work/probe.log"
finish_batch
mp3_bytes=$(stat -c %s "$work/probe/f01.mp3")
pages=$(((mp3_bytes + 4095) / 4096 - 1))
if ((as_root)); then
    make_mount "$work/exact" 1m
    folder=$work/exact/out
    seed_folder "$folder"
    free_kb=$(df -k --output=avail "$work/exact" | tail -n 1 | tr -d ' ')
    head -c $(((free_kb - 4 * pages) * 1024)) /dev/zero >"$work/exact/filler"
    echo "  f01.mp3 takes $mp3_bytes bytes; tmpfs at $work/exact left with $(df -k --output=avail "$work/exact" | tail -n 1 | tr -d ' ') kB free ($pages pages)"
    start_batch "$folder" "$work/exact.log"
else
    folder=$work/exact-out
    seed_folder "$folder"
    echo "  not root: f01.mp3 takes $mp3_bytes bytes; files are limited to $((4 * pages)) kB (ulimit -f)"
    # shellcheck disable=SC2016
    start_batch "$folder" "$work/exact.log" bash -c 'trap "" XFSZ; ulimit -f "$0"; exec "$@"' $((4 * pages))
fi
finish_batch
judge exact "$work/exact.log" "$folder" "Output file write error" "Converting status: ERROR."
rm -f "$work/before.txt"
batch=("${sources[@]}")

echo
if ((failures)); then
    echo "FAILED: $failures check(s)"
    keep=1
    exit 1
fi
echo "OK: every batch ended on its failure with exit status 1 and left the old files untouched"
