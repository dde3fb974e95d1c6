#!/usr/bin/env bash
# Time from starting Tavik to its main window being mapped, on a fresh X
# server: an empty catalogue against one whose first topic holds 20,000 small
# pictures. Prints each run, then the median of each and their difference.
#
#   bench/startup.sh [BUILD_DIR] [RUNS]
#
# Needs xvfb-run and xdotool; the catalogue is made with tavikctl.
set -euo pipefail

build=$(realpath "${1:-build}")
runs=${2:-5}
pictures=20000
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$runs"
fi

# The catalogue lives beside the program, so each case gets its own copy.
setup_case() {
    mkdir -p "$work/$1"
    cp "$build/src/app/tavik" "$work/$1/tavik"
}
setup_case empty
setup_case big

# Small BMPs of a few sizes and colours, added round-robin.
python3 - "$work/files" <<'PY'
import os, struct, sys
folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
for i in range(16):
    w, h = 12 + i, 10 + i
    row = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(h):
        line = bytes((i * 15 % 256, y * 9 % 256, 200)) * w
        pixels += line + b"\0" * (row - w * 3)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(os.path.join(folder, "p%02d.bmp" % i), "wb") as f:
        f.write(header + info + pixels)
PY
files=()
for ((i = 0; i < pictures; ++i)); do
    files+=("$work/files/p$(printf %02d $((i % 16))).bmp")
done
"$build/src/tools/tavikctl" add "$work/big" --topic Big "${files[@]}" >/dev/null

# Milliseconds from start to the first mapped window of the process.
time_to_map() {
    local program=$1
    local start end pid
    start=$(date +%s%N)
    "$program" >/dev/null 2>"$work/stderr" &
    pid=$!
    until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
        # A program that ends without a window would be waited for forever.
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "$program ended before its window was mapped:" >&2
            cat "$work/stderr" >&2
            exit 1
        fi
    done
    end=$(date +%s%N)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

declare -A times
for ((r = 1; r <= runs; ++r)); do
    for c in empty big; do
        t=$(time_to_map "$work/$c/tavik")
        times[$c]+="$t "
        echo "run $r $c: $t ms"
    done
done
empty=$(tr ' ' '\n' <<<"${times[empty]}" | grep . | median)
big=$(tr ' ' '\n' <<<"${times[big]}" | grep . | median)
echo "median empty catalogue: $empty ms"
echo "median $pictures-picture first topic: $big ms"
echo "difference: $(awk -v a="$big" -v b="$empty" 'BEGIN { print a - b }') ms"
