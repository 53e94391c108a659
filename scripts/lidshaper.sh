#!/usr/bin/env bash
# Set up, build and run lidShaper on a Debian machine.
#   scripts/lidshaper.sh demo   install what is missing, build, run `rghost demo`
#   scripts/lidshaper.sh test   install what is missing, build, run every test suite
#   scripts/lidshaper.sh bench  install what is missing, build, run the benchmarks
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="$(nproc)"

packages=(
  build-essential cmake pkg-config
  libimath-dev libtbb-dev
  libgtest-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev libcairo2-dev
  valgrind clang-14 libclang-rt-14-dev
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
  build tsan parallelDeformTest openmayaConcurrencyTest
  ctest --preset tsan -j "$jobs"

  if [ -x fuzz/run.sh ] && [ "${CI:-}" = "true" ]; then
    echo "== Fuzzing (60 s per target)"
    fuzz/run.sh 60
  fi
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
  *)
    echo "usage: $0 demo|test|bench" >&2
    exit 2
    ;;
esac
