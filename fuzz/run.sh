#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 (in fuzz/build, git-ignored) and
# runs each for SECONDS seconds on one core.
#   fuzz/run.sh SECONDS
# Per target: the saved findings under fuzz/regressions/<target>/ are replayed
# first; then the fuzzer runs on a temporary corpus seeded from
# fuzz/seeds/<target>/ (plus, for the rig reader, fuzz/rigs and the hostile
# rig files of tests/data/bad; the committed files stay as they are), and the deform
# corpus it grew is replayed under ThreadSanitizer to catch races between the
# two eyes' tasks. Prints executions and coverage per target and exits non-zero
# on any finding; crashing inputs are kept in fuzz/build/findings/.
set -euo pipefail

seconds="${1:?usage: fuzz/run.sh SECONDS}"
fuzz="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$fuzz/build"
findings="$build/findings"
targets=(fuzz_rig_reader fuzz_deform fuzz_help_validate fuzz_merge)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$findings"
failed=0

build_targets() { # sanitizer target...
  local sanitizer="$1"
  shift
  cmake -S "$fuzz" -B "$build/$sanitizer" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ_SANITIZER="$sanitizer" >/dev/null
  cmake --build "$build/$sanitizer" -j "$(nproc)" --target "$@" >/dev/null
}

finding() { # target log
  echo "!! $1: finding; log tail:"
  tail -n 40 "$2" | sed 's/^/   /'
  failed=1
}

replay_regressions() { # target
  local inputs="$fuzz/regressions/$1"
  [ -d "$inputs" ] && [ -n "$(ls -A "$inputs")" ] || return 0
  local log="$work/$1-regressions.log"
  if "$build/address/$1" "$inputs"/* >"$log" 2>&1; then
    echo "   $1: $(ls "$inputs" | wc -l) regression inputs pass"
  else
    finding "$1" "$log"
  fi
}

fuzz_target() { # target
  local target="$1" corpus="$work/corpus/$1" log="$work/$1.log"
  mkdir -p "$corpus"
  cp "$fuzz/seeds/$target"/* "$corpus/"
  # The rig reader also starts from every hostile rig file the host tests refuse.
  [ "$target" = fuzz_rig_reader ] && cp "$fuzz/rigs"/* "$fuzz/../tests/data/bad"/*.json "$corpus/"
  local status=0
  "$build/address/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings/$target-" "$corpus" >"$log" 2>&1 || status=$?
  local last runs
  last="$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)"
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  echo "   $target: ${runs:-?} executions in ${seconds} s;" \
    "$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*' <<<"$last" | sed 's/cov:/edges/; s/ft:/features/; s/corp:/corpus/')"
  [ "$status" -eq 0 ] || finding "$target" "$log"
}

replay_under_thread_sanitizer() { # corpus
  local log="$work/fuzz_deform-tsan.log"
  if TSAN_OPTIONS="halt_on_error=1" "$build/thread/fuzz_deform" -runs=0 "$1" >"$log" 2>&1; then
    echo "   fuzz_deform: corpus of $(ls "$1" | wc -l) inputs replayed under ThreadSanitizer, no race"
  else
    finding "fuzz_deform (ThreadSanitizer)" "$log"
  fi
}

echo "== Building fuzz targets (clang-14, AddressSanitizer + UndefinedBehaviorSanitizer; ThreadSanitizer replay)"
build_targets address "${targets[@]}"
build_targets thread fuzz_deform

echo "== Replaying saved findings"
for target in "${targets[@]}"; do replay_regressions "$target"; done

echo "== Fuzzing, ${seconds} s per target"
for target in "${targets[@]}"; do fuzz_target "$target"; done
replay_under_thread_sanitizer "$work/corpus/fuzz_deform"

[ "$failed" -eq 0 ] && echo "== No findings"
exit "$failed"
