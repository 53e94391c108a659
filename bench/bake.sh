#!/usr/bin/env bash
# Bake figures of `rghost deform` on the sample rig at 384 columns (23,100 points):
#   peak memory at 240 and 2,400 frames (flat when results stream),
#   wall time with only a point cache, and with the JSON result file, against the node's deform time,
#   ten chunks with --preroll 0 plus merge against one full run.
# Usage: bench/bake.sh [RGHOST]   (default build/bin/rghost)
set -euo pipefail

rghost="$(realpath "${1:-build/bin/rghost}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# Runs rghost and prints "<wall seconds> <its summary line>".
timed() {
  local start end summary
  start="$(date +%s.%N)"
  summary="$("$rghost" "$@" 2>&1 >/dev/null | tail -n 1)"
  end="$(date +%s.%N)"
  echo "$(echo "$end - $start" | bc) $summary"
}

field() { # summary-line field: frames|deform|output|memory
  case "$1" in
    deform) sed -E 's/.*deform ([0-9.]+) s.*/\1/' ;;
    output) sed -E 's/.*output ([0-9.]+) s.*/\1/' ;;
    memory) sed -E 's/.*peak memory ([0-9]+) MB.*/\1/' ;;
  esac
}

"$rghost" sample-rig -o rig240.json --columns 384 --frames 240 >/dev/null
"$rghost" sample-rig -o rig2400.json --columns 384 --frames 2400 >/dev/null

echo "== Peak memory of deform -o (result file streamed), 384 columns"
for frames in 240 2400; do
  run="$(timed deform "rig$frames.json" -o /dev/null --pc2 /dev/null)"
  printf "%5s frames: peak %s MB, wall %.2f s (%s)\n" "$frames" "$(echo "$run" | field memory)" "${run%% *}" "${run#* }"
done

echo "== Throughput, 240 frames"
pc2="$(timed deform rig240.json --pc2 cache.pc2)"
json="$(timed deform rig240.json -o result.json)"
deform="$(echo "$pc2" | field deform)"
printf "deform alone     %.2f s (the node's calls)\n" "$deform"
printf -- "--pc2 only       wall %.2f s = %.2fx deform time\n" "${pc2%% *}" "$(echo "${pc2%% *} / $deform" | bc -l)"
printf -- "-o result.json   wall %.2f s = %.2fx deform time (output %s s for %s MB of text)\n" "${json%% *}" \
  "$(echo "${json%% *} / $deform" | bc -l)" "$(echo "$json" | field output)" "$(( $(stat -c %s result.json) / 1000000 ))"

# Ten chunks of `frames` frames with --preroll 0 against one full run; prints both wall times.
# The chunks' result files are chunk0.json ... chunk9.json when the output is -o.
chunked_against_full() { # rig frames output-option output-file
  local rig="$1" frames="$2" option="$3" file="$4" full chunked=0 run first
  full="$(timed deform "$rig" "$option" "$file")"
  for chunk in $(seq 0 9); do
    first=$((chunk * frames / 10))
    [ "$file" = /dev/null ] && out=/dev/null || out="chunk$chunk.${file##*.}"
    run="$(timed deform "$rig" "$option" "$out" --frames "$first:$(((chunk + 1) * frames / 10 - 1))" --preroll 0)"
    chunked="$(echo "$chunked + ${run%% *}" | bc -l)"
  done
  printf "%5s frames %-4s full run %6.2f s; ten chunks %6.2f s (%.2fx)\n" "$frames" "$option" "${full%% *}" "$chunked" \
    "$(echo "$chunked / ${full%% *}" | bc -l)"
}

echo "== Ten chunks with --preroll 0 against one full run"
chunked_against_full rig240.json 240 -o full.json
start="$(date +%s.%N)"
"$rghost" merge chunk{0..9}.json -o merged.json
merge="$(echo "$(date +%s.%N) - $start" | bc -l)"
cmp -s merged.json full.json && same="byte-identical" || same="DIFFERENT"
printf "merge of the ten 240-frame chunks %.2f s; merged file %s to the full run's\n" "$merge" "$same"
rm -f chunk*.json merged.json full.json
chunked_against_full rig2400.json 2400 --pc2 /dev/null
chunked_against_full rig2400.json 2400 -o /dev/null
