#!/usr/bin/env bash
# Renders the picture strips of docs/controls.md with rghost from the sample rig:
#
#   scripts/controls-pictures.sh [RGHOST [DIRECTORY]]
#
# RGHOST defaults to build/bin/rghost, DIRECTORY to docs/controls. Each strip
# sweeps one control of both eyes with every other control as the sample rig's
# first frame has it (or the frame given), so it shows what that control alone
# does. The test suite renders them into a scratch directory and compares
# them with the checked-in ones.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
rghost=${1:-$root/build/bin/rghost}
out=${2:-$root/docs/controls}
mkdir -p "$out"
rig=$(mktemp --suffix=.json)
trap 'rm -f "$rig"' EXIT
"$rghost" sample-rig -o "$rig" >/dev/null

closed=8 # the sample animation's closed frame

# strip NAME FIELD FROM TO STEPS [sweep options]: FIELD of both eyes, the left eye close up
strip() {
  local name=$1 field=$2 from=$3 to=$4 steps=$5
  shift 5
  "$rghost" sweep "$rig" --attr "lidShaper__eyes__L_eye__$field" --attr "lidShaper__eyes__R_eye__$field" \
    --from "$from" --to "$to" --steps "$steps" --close-up left --width 220 --no-captions -o "$out/$name.png" "$@"
}

strip closeEye closeEye 0 1 5
strip closeLine closeLine -1 1 5 --frame $closed
strip upperLidControl upperLidControl 0 15 4
strip lowerLidControl lowerLidControl 0 -15 4
strip upperLidOuterControl upperLidOuterControl 0 2 5
strip lowerLidOuterControl lowerLidOuterControl 0 2 5
strip upperOpenEyeValue upperOpenEyeValue 5 20 4
strip lowerOpenEyeValue lowerOpenEyeValue -5 -20 4
strip upperMountSize upperMountSize 0 40 3 --view three-quarter
strip lowerMountSize lowerMountSize 0 40 3 --view three-quarter
strip smoothOuter smoothOuter 0 8 3
strip eyeCompute eyeCompute 0 1 2 --frame $closed
strip nurbsSphere nurbsSphere -20 20 5
"$rghost" sweep "$rig" --attr ENVELOPE --from 0 --to 1 --steps 2 --frame $closed --close-up left --width 220 --no-captions \
  -o "$out/ENVELOPE.png"
"$rghost" sheet "$rig" --panels 4 --view three-quarter --width 280 --no-captions -o "$out/sample-rig.png"
