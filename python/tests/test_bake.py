"""Bakes over processes or a Dask cluster write what rghost deform writes for each rig."""
import concurrent.futures
import json
import os
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


def test_a_broken_rig_is_named_before_any_bake_and_a_failed_bake_keeps_the_others_summaries(tmp_path):
    broken = tmp_path / "broken.rig.json"
    broken.write_text("{")
    good = RIGS[:2]
    with pytest.raises(ValueError, match="broken.rig.json"):
        lidshaper.bake(good + [broken], tmp_path / "early")
    assert not (tmp_path / "early").exists()

    # The second rig's result file cannot be written: a directory stands where it goes.
    out = tmp_path / "late"
    blocked = lidshaper.bake_jobs([good[1]], out)[0]["result_file"]
    os.makedirs(blocked)
    with concurrent.futures.ThreadPoolExecutor(1) as executor, pytest.raises(lidshaper.BakeError) as raised:
        lidshaper.bake(good, out, executor=executor)
    finished, failed = raised.value.summaries
    assert "1 of 2 bakes failed" in str(raised.value) and str(good[1]) in str(raised.value)
    assert finished["rig"] == str(good[0]) and os.path.isfile(finished["files"][0])
    assert failed["rig"] == str(good[1]) and failed["error"].startswith("OSError:")


def test_merge_joins_chunks_and_names_a_corrupt_one(tmp_path):
    rig = SOURCE_DIR / "examples" / "sample-eye-rig.json"
    whole = serial_bake(rig, tmp_path)[0]
    with concurrent.futures.ThreadPoolExecutor(1) as executor:
        chunks = [s["files"][0] for s in lidshaper.bake([rig], tmp_path / "chunks", executor=executor, chunk_frames=20)]
    lidshaper.merge(list(reversed(chunks)), str(tmp_path / "merged.json"))
    assert open(tmp_path / "merged.json", "rb").read() == open(whole, "rb").read()

    text = open(chunks[1]).read()
    lines = text.split("\n")
    lines[5] = lines[5].replace(".", "x", 3)
    open(chunks[1], "w").write("\n".join(lines))
    with pytest.raises(ValueError, match=r"merge: .*sample-eye-rig\.20-39\.result\.json: frame 21 \(line 6\) is corrupt"):
        lidshaper.merge(chunks, str(tmp_path / "refused.json"))
    assert not (tmp_path / "refused.json").exists()


def test_frames_that_are_not_finite_fail_and_are_never_written(tmp_path):
    rig = lidshaper.sample_rig(columns=8, frames=3)
    lid_vertex = rig.attributes["lidShaper__eyes__L_eye__upperLidInnerIdxs"].values[2]
    points = rig.points
    points[lid_vertex, 0] = 1e300
    rig.points = points
    frames = rig.play()
    assert [frame.status_name for frame in frames] == ["Failure"] * 3
    assert frames[0].errors[-1].startswith("deform left vertex ")
    assert (frames[0].points == rig.points).all()

    frames[1].points[4, 2] = float("nan")
    with pytest.raises(ValueError, match=r"write_result: frame 1: vertex 4 is not finite"):
        lidshaper.write_result(str(tmp_path / "result.json"), rig.node_name, frames)
    assert not (tmp_path / "result.json").exists()
