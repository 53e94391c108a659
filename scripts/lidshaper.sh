#!/usr/bin/env bash
# Set up, build and run lidShaper on a Debian machine.
#   scripts/lidshaper.sh demo   install what is missing, build, run `rghost demo`
#   scripts/lidshaper.sh test   install what is missing, build, run every test suite
#   scripts/lidshaper.sh bench  install what is missing, build, run the benchmarks
#   scripts/lidshaper.sh bake-bench  peak memory, throughput and chunking of bakes (bench/bake.sh)
#   scripts/lidshaper.sh profile  where the instructions of one deform call go (callgrind)
#   scripts/lidshaper.sh blender  install what is missing, build, open Blender with the add-on
#   scripts/lidshaper.sh blender-addon  build the add-on zip that Blender's Preferences > Add-ons > Install takes
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="$(nproc)"

packages=(
  build-essential cmake pkg-config
  libimath-dev libtbb-dev
  libgtest-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev libcairo2-dev
  valgrind clang-14 libclang-rt-14-dev
  pybind11-dev python3-dev python3-numpy python3-pytest python3-distributed
  blender bc python3-pil xvfb xauth
)

install_missing_packages() {
  local missing=()
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() { # preset [targets...]
  local preset="$1"
  shift
  cmake --preset "$preset" >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" -j "$jobs" --target "$@"
  else
    cmake --build --preset "$preset" -j "$jobs"
  fi
}

run_tests() {
  echo "== Tests (release build)"
  build default
  ctest --preset default -j "$jobs"

  # rghost runs as a child of the golden test, so it is traced too. TBB's
  # worker threads leave "possibly lost" and "still reachable" blocks at exit,
  # which are neither failures nor shown.
  echo "== Reference rigs end to end under Valgrind memcheck"
  valgrind --quiet --trace-children=yes --error-exitcode=1 --leak-check=full \
    --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
    build/bin/goldenRigsTest --gtest_brief=1

  echo "== Tests under AddressSanitizer + UndefinedBehaviorSanitizer"
  build asan
  ctest --preset asan -j "$jobs"

  echo "== Parallel deform tests under ThreadSanitizer"
  build tsan parallelDeformTest softRegionParallelTest openmayaConcurrencyTest
  ctest --preset tsan -j "$jobs"

  if [ -x fuzz/run.sh ] && [ "${CI:-}" = "true" ]; then
    echo "== Fuzzing (60 s per target)"
    fuzz/run.sh 60
  fi
}

# Counts instructions (repeatable, unlike times on a shared machine) of the
# cached deform at 384 columns with both solves on the calling thread, and
# prints each step's share of a call.
profile_deform() {
  local out
  out="$(mktemp -d)"
  valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" build/bin/lidshaper_bench \
    --benchmark_filter='^Deform/serial/N:384/' --benchmark_min_time=0.05 >/dev/null 2>&1
  # Each row is found by its function's name; a row that is missing (a function
  # renamed or inlined away) stops the report instead of showing 0 %.
  local status=0
  callgrind_annotate --inclusive=yes "$out/callgrind.out" 2>/dev/null | awk '
    BEGIN {
      name["call"] = ":runDeform\\("
      name["solve"] = ":solveEyeLids\\("
      name["soft"] = ":applySoftRegion\\("
      name["prepare"] = ":prepareEye\\("
      name["kernel"] = ":evaluateMinorCurve\\("
    }
    /lidShaper_2018.so\]/ {
      count = $1; gsub(",", "", count)
      for (row in name)
        if (!(row in n) && $0 ~ name[row]) n[row] = count
    }
    END {
      for (row in name)
        if (!(row in n)) { print "profile: no callgrind row matches " name[row] > "/dev/stderr"; missing = 1 }
      if (missing) exit 1
      call = n["call"]
      printf "%-44s %6.1f %%\n", "lid solves (both eyes, parallel part)", 100 * n["solve"] / call
      printf "%-44s %6.1f %%\n", "soft region apply (parallel part)", 100 * n["soft"] / call
      printf "%-44s %6.1f %%\n", "per-eye preparation (calling thread)", 100 * n["prepare"] / call
      printf "%-44s %6.1f %%\n", "  of which curve point kernel", 100 * n["kernel"] / call
      printf "%-44s %6.1f %%\n", "rest of the call (calling thread)", 100 * (call - n["solve"] - n["soft"] - n["prepare"]) / call
      printf "%-44s %6.2fx\n", "best two-thread speed-up these shares allow", call / (call - (n["solve"] + n["soft"]) / 2)
    }' || status=$?
  rm -rf "$out"
  return "$status"
}

install_missing_packages
case "${1:-}" in
  demo)
    build default rghost
    build/bin/rghost demo "${@:2}"
    ;;
  test)
    run_tests
    ;;
  bench)
    build default lidshaper_bench
    build/bin/lidshaper_bench "${@:2}"
    ;;
  bake-bench)
    build default rghost
    bench/bake.sh build/bin/rghost
    ;;
  profile)
    build default lidshaper_bench
    profile_deform
    ;;
  blender)
    build default rghost _lidshaper
    blender --python-expr "import sys; sys.path.insert(0, '$root/blender'); import lidshaper_live; lidshaper_live.register()" "${@:2}"
    ;;
  blender-addon)
    build default blender_addon
    echo "Add-on: $root/build/lidshaper_live.zip"
    ;;
  *)
    echo "usage: $0 demo|test|bench|bake-bench|profile|blender|blender-addon" >&2
    exit 2
    ;;
esac
