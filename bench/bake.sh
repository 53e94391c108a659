#!/usr/bin/env bash
# Bake figures of `rghost deform` on the sample rig at 384 columns (23,100 points):
#   peak memory at 240 and 2,400 frames (flat when results stream),
#   wall time with only a point cache, and with the JSON result file, against the node's deform time
#   (the goal: a bake with the result file within 3x of the deform time),
#   ten chunks with --preroll 0 plus merge against one full run.
# Usage: bench/bake.sh [RGHOST]   (default build/bin/rghost)
set -euo pipefail

rghost="$(realpath "${1:-build/bin/rghost}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# Runs rghost and prints "<wall seconds> <cpu seconds> <its summary line>". On a
# shared machine the processor time is the steadier measure of what a run costs.
timed() {
  local times
  times="$( { TIMEFORMAT="%R %U %S"; time "$rghost" "$@" >/dev/null 2>"$work/stderr.txt"; } 2>&1 )"
  read -r wall user system <<<"$times"
  echo "$wall $(echo "$user + $system" | bc -l) $(tail -n 1 "$work/stderr.txt")"
}
wall() { echo "${1%% *}"; }
cpu() { echo "$1" | cut -d' ' -f2; }

field() { # summary-line field: frames|deform|output|memory
  case "$1" in
    deform) sed -E 's/.*deform ([0-9.]+) s.*/\1/' ;;
    output) sed -E 's/.*output ([0-9.]+) s.*/\1/' ;;
    memory) sed -E 's/.*peak memory ([0-9]+) MB.*/\1/' ;;
  esac
}

"$rghost" sample-rig -o rig240.json --columns 384 --frames 240 >/dev/null
"$rghost" sample-rig -o rig2400.json --columns 384 --frames 2400 >/dev/null

echo "== Peak memory of deform (result file and point cache streamed), 384 columns"
for frames in 240 2400; do
  run="$(timed deform "rig$frames.json" -o /dev/null --pc2 /dev/null)"
  one="$(timed deform "rig$frames.json" -o /dev/null --pc2 /dev/null --frames 0)"
  printf "%5s frames: peak %s MB; the same rig baking only its first frame: %s MB\n" "$frames" \
    "$(echo "$run" | field memory)" "$(echo "$one" | field memory)"
done

echo "== Throughput, 240 frames (wall and processor seconds)"
pc2="$(timed deform rig240.json --pc2 cache.pc2)"
json="$(timed deform rig240.json -o result.json)"
deform="$(echo "$pc2" | field deform)"
printf "deform alone     %.2f s (the node's calls, from the summary line)\n" "$deform"
printf -- "--pc2 only       wall %.2f s = %.2fx deform time\n" "$(wall "$pc2")" "$(echo "$(wall "$pc2") / $deform" | bc -l)"
printf -- "-o result.json   wall %.2f s = %.2fx deform time, goal 3x (output %s s for %s MB of text; processor %.2f s)\n" \
  "$(wall "$json")" "$(echo "$(wall "$json") / $deform" | bc -l)" "$(echo "$json" | field output)" \
  "$(( $(stat -c %s result.json) / 1000000 ))" "$(cpu "$json")"

# Ten chunks with --preroll 0 against one full run, in wall and processor time.
# With -o FILE the chunks' result files are chunk0.json ... chunk9.json.
chunked_against_full() { # rig frames output-option output-file
  local rig="$1" frames="$2" option="$3" file="$4" full run first out chunkedWall=0 chunkedCpu=0
  full="$(timed deform "$rig" "$option" "$file")"
  for chunk in $(seq 0 9); do
    first=$((chunk * frames / 10))
    [ "$file" = /dev/null ] && out=/dev/null || out="chunk$chunk.json"
    run="$(timed deform "$rig" "$option" "$out" --frames "$first:$(((chunk + 1) * frames / 10 - 1))" --preroll 0)"
    chunkedWall="$(echo "$chunkedWall + $(wall "$run")" | bc -l)"
    chunkedCpu="$(echo "$chunkedCpu + $(cpu "$run")" | bc -l)"
  done
  printf "%5s frames %-5s full run wall %6.2f s cpu %6.2f s; ten chunks wall %6.2f s (%.2fx) cpu %6.2f s (%.2fx)\n" \
    "$frames" "$option" "$(wall "$full")" "$(cpu "$full")" "$chunkedWall" "$(echo "$chunkedWall / $(wall "$full")" | bc -l)" \
    "$chunkedCpu" "$(echo "$chunkedCpu / $(cpu "$full")" | bc -l)"
}

echo "== Ten chunks with --preroll 0 against one full run"
chunked_against_full rig240.json 240 -o full.json
merge="$(timed merge chunk{0..9}.json -o merged.json)"
cmp -s merged.json full.json && same="byte-identical" || same="DIFFERENT"
printf "merge of the ten 240-frame chunks wall %.2f s; merged file %s to the full run's\n" "$(wall "$merge")" "$same"
rm -f chunk*.json merged.json full.json
chunked_against_full rig2400.json 2400 --pc2 /dev/null
chunked_against_full rig2400.json 2400 -o /dev/null
