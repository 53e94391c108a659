"""The node in-process: results as rghost gives them, arrays without copies, threads."""
import json
import subprocess
import threading

import numpy as np
import pytest

import lidshaper
from conftest import GOLDEN_RIGS, RGHOST, SOURCE_DIR


@pytest.mark.parametrize("rig_path", GOLDEN_RIGS, ids=lambda path: path.name[: -len(".rig.json")])
def test_reference_rigs_play_as_rghost_deform_writes_them(rig_path, tmp_path):
    expected = tmp_path / "rghost.json"
    run = subprocess.run([RGHOST, "deform", str(rig_path), "-o", str(expected)], capture_output=True, text=True)
    if run.returncode == 2:
        with pytest.raises(ValueError, match=str(rig_path)):
            lidshaper.read_rig(str(rig_path))
        return
    rig = lidshaper.read_rig(str(rig_path))
    actual = tmp_path / "python.json"
    lidshaper.write_result(str(actual), rig.node_name, rig.play())
    assert actual.read_bytes() == expected.read_bytes()


def test_deform_matches_play_frame_by_frame(plugin, sample):
    node = plugin.create(sample.node_name)
    for index, frame in enumerate(sample.play()):
        result = node.deform(sample.frame_attributes(index), sample.points, sample.matrix, sample.weights)
        assert (result.status, result.errors) == (frame.status, frame.errors)
        np.testing.assert_array_equal(result.points, frame.points)


def test_points_go_in_without_conversion_and_out_into_the_given_array(plugin, sample):
    node = plugin.create(sample.node_name)
    attrs = sample.frame_attributes(3)
    rest = sample.points
    expected = node.deform(attrs, rest).points

    out = np.empty_like(rest)
    assert node.deform(attrs, rest, out=out).points.ctypes.data == out.ctypes.data
    np.testing.assert_array_equal(out, expected)

    # In place: any array, and arrays the module made, which the node's record borrows.
    for in_place in (rest.copy(), lidshaper.empty_points(len(rest)), node.deform(attrs, rest * 0).points):
        in_place[:] = rest
        address = in_place.ctypes.data
        assert node.deform(attrs, in_place, out=in_place).points.ctypes.data == address
        np.testing.assert_array_equal(in_place, expected)
        np.testing.assert_array_equal(node.deform(attrs, rest).points, expected)

    # Inputs that are not C-contiguous float64 are converted, with the same result.
    for converted in (np.asfortranarray(rest), np.hstack([rest, rest])[:, :3], rest.tolist()):
        np.testing.assert_array_equal(node.deform(attrs, converted).points, expected)
    np.testing.assert_array_equal(rest, sample.points)


def test_two_nodes_in_two_threads_give_the_serial_results(plugin, sample):
    frames = range(sample.frame_count)
    failing = dict(sample.frame_attributes(0))
    del failing["ENVELOPE"]
    jobs = {
        "good": [sample.frame_attributes(i) for i in frames],
        "bad": [failing if i % 2 else sample.frame_attributes(i) for i in frames],
    }

    def run(attrs_list, results):
        node = plugin.create(sample.node_name)
        for _ in range(3):
            for attrs in attrs_list:
                result = node.deform(attrs, sample.points)
                results.append((result.status, result.errors, result.points.tobytes()))

    serial = {name: [] for name in jobs}
    for name, attrs_list in jobs.items():
        run(attrs_list, serial[name])
    threaded = {name: [] for name in jobs}
    threads = [threading.Thread(target=run, args=(jobs[name], threaded[name])) for name in jobs]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert threaded == serial
    assert any(errors for _, errors, _ in serial["bad"]) and not any(errors for _, errors, _ in serial["good"])


def test_values_convert_by_the_declared_class(plugin, sample):
    node = plugin.create(sample.node_name)
    typed = sample.frame_attributes(5)
    plain = dict(typed)
    for key in ("ENVELOPE", "lidShaper__eyes__L_eye__upperLidControl", "lidShaper__eyes__R_eye__centerEye",
                "lidShaper__eyes__L_eye__upperLidInnerIdxs", "lidShaper__eyes__L_eye__upperLidMoveVector",
                "lidShaper__eyes__R_eye__eyeCompute", "lidShaper__eyes__L_eye__smoothOuter"):
        value = typed[key]
        plain[key] = value.values.tolist() if len(value.values) else value.value
    np.testing.assert_array_equal(node.deform(plain, sample.points).points, node.deform(typed, sample.points).points)

    forced = dict(typed, ENVELOPE=lidshaper.Value("RgDouble", 1.0))
    assert node.deform(forced, sample.points).errors == [
        "eyeRig1: get attributes: invalid type of 'ENVELOPE' (RgFloat expected)"]


def test_schema_describes_what_nodes_read(plugin, sample):
    reviewed = json.loads((SOURCE_DIR / "tests" / "data" / "schema" / "declared-attributes.json").read_text())
    declared = [(a.key, a.type_name) for a in plugin.schema()]
    assert declared == [(row["key"], row["typeName"]) for row in reviewed]
    attributes = plugin.schema(host_settings=True)
    assert [(a.key, a.type_name) for a in attributes[4:]] == declared and all(a.description for a in attributes)
    # Every key of a working rig is described, with the class the rig holds.
    described = {a.key: a.type_name for a in attributes}
    assert {key: value.type_name for key, value in sample.attributes.items()} == described
    # Each attribute names its eye and panel group; the two eyes group alike, field for field.
    placement = {a.key: (a.side, a.group) for a in attributes}
    assert placement["ENVELOPE"] == ("", "Host settings")
    assert placement["lidShaper__softRegion__softRegion"] == ("", "Soft region")
    for side, group in (("left", "Left eye"), ("right", "Right eye")):
        prefix = f"lidShaper__eyes__{side[0].upper()}_eye__"
        assert {k for k, p in placement.items() if p == (side, group)} == {k for k in described if k.startswith(prefix)}
        assert len([k for k in described if k.startswith(prefix)]) == 34


def test_rigs_edited_in_python_write_files_rghost_plays_alike(plugin, tmp_path):
    rig = lidshaper.sample_rig(columns=8, frames=4)
    sphere = rig.attributes["lidShaper__eyes__R_eye__nurbsSphere"]
    moved = sphere.world_matrix
    moved[3, 1] += 0.05
    turned = sphere.with_world_matrix(moved)
    u, v = np.linspace(0.0, 1.0, 5)[:, None], np.linspace(0.0, 1.0, 3)
    np.testing.assert_allclose(turned.evaluate(u, v), sphere.evaluate(u, v) + [0.0, 0.05, 0.0], atol=1e-12)
    assert sphere.evaluate(u, v).shape == (5, 3, 3) and np.array_equal(sphere.evaluate(0.5, 0.5), sphere.evaluate(u, v)[2, 1])
    attributes = rig.attributes
    attributes.update({"lidShaper__eyes__R_eye__nurbsSphere": turned, "ENVELOPE": 1.0,
                       "lidShaper__eyes__L_eye__closeLine": 0.25, "NOTE": lidshaper.Value("RgString", "take 2")})
    rig.attributes = attributes
    rig.frames = [{}, {"lidShaper__eyes__L_eye__upperLidControl": 5.0}, {"DEBUG_MODE": None}, {"ENVELOPE": 0.0}]
    rig.start_frame = 1001
    rig.weights = np.linspace(0.0, 1.0, len(rig.points))
    path = tmp_path / "edited.rig.json"
    rig.write(str(path))

    expected = tmp_path / "rghost.json"
    subprocess.run([RGHOST, "deform", str(path), "-o", str(expected)], check=False, capture_output=True)
    played = rig.play()
    assert [frame.frame for frame in played] == [1001, 1002, 1003, 1004]
    assert [frame.status_name for frame in played] == ["Success", "Success", "Failure", "Success"]
    actual = tmp_path / "python.json"
    lidshaper.write_result(str(actual), rig.node_name, played)
    assert actual.read_bytes() == expected.read_bytes()


VALUES = [
    ("RgBoolean", True, [True, False]),
    ("RgInt", -2**31, [1, 2**31 - 1]),
    ("RgFloat", 0.1, [1.5, -2.25]),
    ("RgDouble", 0.1, [1e-300, -2.5]),
    ("RgVector", (1.0, 2.0, 3.0), [[0.0, 1.0, 2.0], [3.0, 4.0, 5.0]]),
    ("RgString", "take 2", ["a", "b"]),
    ("RgPtr", 4096, [None, 8]),
]


@pytest.mark.parametrize("type_name, value, values", VALUES, ids=[case[0] for case in VALUES])
def test_typed_values_read_back_and_survive_a_rig_file(tmp_path, type_name, value, values):
    made = lidshaper.Value(type_name, value, values)
    single = np.float32(value) if type_name == "RgFloat" else value
    listed = np.asarray(values, np.float32) if type_name == "RgFloat" else values
    assert made.type_name == type_name and made.value == single
    np.testing.assert_array_equal(np.asarray(made.values, dtype=object if type_name == "RgPtr" else None),
                                  np.asarray(listed, dtype=object if type_name == "RgPtr" else None))

    rig = lidshaper.sample_rig(columns=2, frames=1)
    rig.attributes = dict(rig.attributes, EXTRA=made, EMPTY=None)
    rig.write(str(tmp_path / "rig.json"))
    read = lidshaper.read_rig(str(tmp_path / "rig.json")).attributes
    assert read["EMPTY"] is None
    assert (read["EXTRA"].type_name, read["EXTRA"].value, repr(read["EXTRA"].values)) == \
        (type_name, made.value, repr(made.values))
