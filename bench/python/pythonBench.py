"""The lidshaper module against the plug-in called from C++.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/pythonBench.py [--rounds 5]

1. node.deform from Python at the 384-column sample rig, cached, frames in turn (as
   lidshaper_bench's Deform/cached/N:384 plays them), against that C++ benchmark, in
   alternating rounds so both see the same machine load. The Python time is the whole call:
   converting the attribute dict, copying the points into the host record and out again.
   On a busy machine the two totals drift by more than the overhead, so the overhead is also
   measured on its own: the same call with ENVELOPE 0, where the node returns after reading the
   host settings; once into out=, once in place on an array from lidshaper.empty_points.
2. A bake of 8 rig files: a serial loop in this process, the default process pool, and a Dask
   LocalCluster of 2 worker processes.
"""
import argparse
import json
import pathlib
import statistics
import subprocess
import tempfile
import time

import numpy as np

import lidshaper
import _lidshaper

BUILD = pathlib.Path(_lidshaper.__file__).resolve().parents[1]


# Both sides are measured alike, as the median over repetitions of the mean call time of a
# repetition: the machine is shared, and a mean alone takes in every interruption.
REPETITIONS = 15
CALLS_PER_REPETITION = 48


def python_deform_microseconds(node, frames, points, out=None):
    out = np.empty_like(points) if out is None else out
    means = []
    for _ in range(REPETITIONS):
        start = time.perf_counter_ns()
        for attrs in frames[:CALLS_PER_REPETITION]:
            node.deform(attrs, points, out=out)
        means.append((time.perf_counter_ns() - start) / CALLS_PER_REPETITION)
    return statistics.median(means) / 1e3


def cpp_deform_microseconds():
    run = subprocess.run(
        [str(BUILD / "bin" / "lidshaper_bench"), "--benchmark_filter=^Deform/cached/N:384/",
         "--benchmark_format=json", "--benchmark_repetitions=%d" % REPETITIONS,
         "--benchmark_min_time=0.07",
         "--benchmark_report_aggregates_only=true"],
        check=True, capture_output=True, text=True)
    aggregates = json.loads(run.stdout)["benchmarks"]
    return next(entry["real_time"] for entry in aggregates if entry.get("aggregate_name") == "median")


def deform_overhead(rounds):
    rig = lidshaper.sample_rig(columns=384)
    frames = [rig.frame_attributes(i) for i in range(rig.frame_count)]
    node = lidshaper.load_plugin().create(rig.node_name)
    points = rig.points
    for attrs in frames:  # builds the cache and grows the buffers, as the C++ benchmark does first
        node.deform(attrs, points)
    idle = [dict(attrs, ENVELOPE=lidshaper.Value("RgFloat", 0.0)) for attrs in frames]
    held = lidshaper.empty_points(len(points))
    python, cpp, overhead, in_place = [], [], [], []
    for _ in range(rounds):
        python.append(python_deform_microseconds(node, frames, points))
        cpp.append(cpp_deform_microseconds())
        overhead.append(python_deform_microseconds(node, idle, points))
        in_place.append(python_deform_microseconds(node, idle, held, out=held))
    py_time, cpp_time, overhead_time, in_place_time = map(statistics.median, (python, cpp, overhead, in_place))
    print("deform at 384 columns (%d points), median of %d rounds:" % (len(points), rounds))
    print("  C++ call (lidshaper_bench)      %8.1f us" % cpp_time)
    print("  node.deform from Python         %8.1f us   %+.1f %%" % (py_time, 100 * (py_time / cpp_time - 1)))
    print("  Python overhead alone (out=)    %8.1f us   %.1f %% of the C++ call" % (overhead_time, 100 * overhead_time / cpp_time))
    print("  ... in place on empty_points    %8.1f us   %.1f %%" % (in_place_time, 100 * in_place_time / cpp_time))
    for name, times in (("C++", cpp), ("Python", python), ("overhead", overhead), ("in place", in_place)):
        print("  rounds, %-8s %s" % (name, " ".join("%.0f" % t for t in times)))


def timed(label, work, serial_seconds=None):
    start = time.perf_counter()
    work()
    seconds = time.perf_counter() - start
    speedup = "" if serial_seconds is None else "   %.2fx the serial loop" % (serial_seconds / seconds)
    print("  %-34s %7.2f s%s" % (label, seconds, speedup))
    return seconds


def bake_eight_rigs():
    import distributed

    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        rig = lidshaper.sample_rig(columns=96, frames=48)
        rig_paths = []
        for i in range(8):
            rig.node_name = "eyeRig%d" % (i + 1)
            rig_paths.append(str(work / ("rig%d.rig.json" % i)))
            rig.write(rig_paths[-1])
        jobs = lidshaper.bake_jobs(rig_paths, work / "serial")
        (work / "serial").mkdir()
        print("bake of 8 rigs (96 columns, 48 frames each):")
        serial = timed("serial loop in this process", lambda: [_lidshaper.bake_rig(**job) for job in jobs])
        timed("process pool (default)", lambda: lidshaper.bake(rig_paths, work / "pool"), serial)
        with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                      dashboard_address=None) as cluster, distributed.Client(cluster) as client:
            client.run(lambda: bool(__import__("lidshaper").load_plugin()))  # workers load the plug-in before timing
            timed("Dask LocalCluster, 2 workers", lambda: lidshaper.bake(rig_paths, work / "dask", executor=client),
                  serial)


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=5)
    deform_overhead(parser.parse_args().rounds)
    bake_eight_rigs()
