"""Bakes over processes or a Dask cluster write what rghost deform writes for each rig."""
import json
import subprocess

import pytest

import lidshaper
from conftest import GOLDEN_RIGS, RGHOST, SOURCE_DIR

RIGS = [path for path in GOLDEN_RIGS if "/valid/" in str(path)][:5] + [SOURCE_DIR / "examples" / "sample-eye-rig.json"]


def serial_bake(rig_path, out_dir):
    """rghost deform's result file and point cache of one rig."""
    out_dir.mkdir(exist_ok=True)
    stem = lidshaper.bake_jobs([rig_path], out_dir)[0]["result_file"][: -len(".result.json")]
    subprocess.run([RGHOST, "deform", str(rig_path), "-o", stem + ".result.json", "--pc2", stem + ".pc2"],
                   check=False, capture_output=True)
    return [stem + ".result.json", stem + ".pc2"]


def test_bakes_on_a_dask_cluster_equal_serial_bakes(tmp_path):
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        summaries = lidshaper.bake(RIGS, tmp_path / "dask", executor=client, point_cache=True)
    assert [summary["rig"] for summary in summaries] == list(map(str, RIGS))
    for summary, rig_path in zip(summaries, RIGS):
        serial = serial_bake(rig_path, tmp_path / "serial")
        for baked, expected in zip(summary["files"], serial):
            assert open(baked, "rb").read() == open(expected, "rb").read(), baked


def test_frame_chunks_on_the_process_pool_hold_the_frames_of_a_whole_bake(tmp_path):
    rig = SOURCE_DIR / "examples" / "sample-eye-rig.json"
    with open(serial_bake(rig, tmp_path)[0]) as whole:
        expected = json.load(whole)["frames"][5:]
    chunks = lidshaper.bake([rig], tmp_path / "chunks", frames=range(5, 48), chunk_frames=20)
    assert [summary["frames"] for summary in chunks] == [20, 20, 3]
    frames = []
    for summary in chunks:
        with open(summary["files"][0]) as chunk:
            frames += json.load(chunk)["frames"]
    assert frames == expected
