#!/usr/bin/env bash
# Renders the pictures of docs/build-rig.md: a head the sample generator did
# not make, built into a rig with rghost build-rig, before and after, and the
# built rig inspected with the overlays.
#
#   scripts/build-rig-pictures.sh [BUILD [DIRECTORY]]
#
# BUILD defaults to build (rghost and generate-head in BUILD/bin), DIRECTORY
# to docs/build-rig. The head is the generator's dense one (openings of 96
# vertices, ten loops to the crease, triangles away from the eyes).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build}/bin
out=${2:-$root/docs/build-rig}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/generate-head" --variety 2 -o "$work/head.obj" >/dev/null
"$bin/rghost" build-rig "$work/head.obj" -o "$work/head.rig.json" >"$out/report.txt"
# Before: the head as modelled, with the eyeballs fitted to its eyeball meshes.
# A zero envelope leaves every point where it was modelled.
/usr/bin/python3 - "$work/head.rig.json" "$work/before.rig.json" <<'PY'
import json, sys
rig = json.load(open(sys.argv[1]))
rig["attributes"]["ENVELOPE"]["value"] = 0.0
rig.pop("frames", None)
json.dump(rig, open(sys.argv[2], "w"))
PY
"$bin/rghost" sheet "$work/before.rig.json" -o "$out/before.png" --panels 1 --columns 1 --width 440 --no-captions
# After: the test animation the builder adds, whole head and the left eye close up.
"$bin/rghost" sheet "$work/head.rig.json" -o "$out/sheet.png" --panels 9 --columns 3 --width 300
"$bin/rghost" sheet "$work/head.rig.json" -o "$out/close-up.png" --panels 9 --columns 3 --width 260 --close-up left
# Inspected: what the node works with on the built rig, at the open pose.
"$bin/rghost" inspect "$work/head.rig.json" --frame 0 -o "$out/inspect.png" --width 440
sed -i "s|$work/||" "$out/report.txt"
