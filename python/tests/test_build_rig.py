"""build_rig: rigs built from a head's points and faces or an OBJ file, with eyeballs as meshes or spheres."""
import numpy as np
import pytest

import lidshaper

L_EYE = "lidShaper__eyes__L_eye__"
R_EYE = "lidShaper__eyes__R_eye__"
RADIUS = 1.4  # the sample face's eyeballs


@pytest.fixture(scope="module")
def face():
    """The sample face's mesh alone, and its eyeballs' centres (left, right)."""
    sample = lidshaper.sample_rig()
    centers = [tuple(sample.attributes[eye + "centerEye"].value) for eye in (L_EYE, R_EYE)]
    return sample.points, sample.faces, centers


def eyeball_mesh(center, radius, seed, noise=0.0, around=24, down=12):
    """A roughly spherical eyeball: a UV sphere whose points are up to `noise` of its radius off it."""
    rng = np.random.default_rng(seed)
    polar, azimuth = np.meshgrid(np.pi * np.arange(1, down) / down, 2 * np.pi * np.arange(around) / around)
    directions = np.stack([np.sin(polar) * np.cos(azimuth), np.cos(polar), np.sin(polar) * np.sin(azimuth)], -1)
    directions = np.concatenate([[[0, 1, 0]], directions.transpose(1, 0, 2).reshape(-1, 3), [[0, -1, 0]]])
    points = np.asarray(center) + directions * radius * (1 + rng.uniform(-noise, noise, (len(directions), 1)))
    ring = lambda row, k: 1 + (row - 1) * around + k % around
    faces = []
    for k in range(around):
        faces.append([0, ring(1, k + 1), ring(1, k)])
        faces += [[ring(r, k), ring(r, k + 1), ring(r + 1, k + 1), ring(r + 1, k)] for r in range(1, down - 1)]
        faces.append([len(points) - 1, ring(down - 1, k), ring(down - 1, k + 1)])
    return points, faces


def write_obj(path, parts):
    """parts: (name or None, points, faces); named parts become OBJ objects."""
    lines, first = [], 1
    for name, points, faces in parts:
        if name:
            lines.append(f"o {name}")
        lines += [f"v {x!r} {y!r} {z!r}" for x, y, z in np.asarray(points).tolist()]
        lines += ["f " + " ".join(str(first + int(i)) for i in face) for face in faces]
        first += len(points)
    path.write_text("\n".join(lines) + "\n")


def margins(rig, eye):
    return {int(i) for lid in ("upper", "lower") for i in rig.attributes[eye + lid + "LidInnerIdxs"].values}


def test_eyeballs_as_spheres_or_rough_meshes_give_the_same_lids(face):
    points, faces, centers = face
    spheres = lidshaper.build_rig(points, faces, [(c, RADIUS) for c in centers])
    # Meshes 2 % off a sphere: the fitted spheres miss the modelled ones a little.
    rough = [eyeball_mesh(c, RADIUS, seed, noise=0.02)[0] for seed, c in enumerate(centers)]
    meshes = lidshaper.build_rig(points, faces, rough)
    for rig in (spheres, meshes):
        np.testing.assert_array_equal(rig.points, points)
        assert rig.frame_count > 1
    for eye in (L_EYE, R_EYE):
        for name in ("upperLidInnerIdxs", "upperLidCenterIdxs", "lowerLidBetweenIdxs", "cornersIdxs"):
            assert list(meshes.attributes[eye + name].values) == list(spheres.attributes[eye + name].values), name


def test_an_obj_file_or_loose_parts_give_the_same_lids(face, tmp_path):
    points, faces, centers = face
    expected = lidshaper.build_rig(points, faces, [(c, RADIUS) for c in centers])
    balls = [eyeball_mesh(c, RADIUS, seed) for seed, c in enumerate(centers)]
    named, loose = tmp_path / "named.obj", tmp_path / "loose.obj"
    write_obj(named, [("head", points, faces), ("eyeball_L", *balls[0]), ("eyeball_R", *balls[1])])
    write_obj(loose, [(None, points, faces), (None, *balls[0]), (None, *balls[1])])
    write_obj(tmp_path / "bare.obj", [(None, points, faces)])
    first = len(points)
    all_faces = [list(f) for f in faces] + [[first + i for i in f] for f in balls[0][1]]
    all_faces += [[first + len(balls[0][0]) + i for i in f] for f in balls[1][1]]
    built = [
        lidshaper.build_rig(named),
        lidshaper.build_rig(str(loose)),
        lidshaper.build_rig(tmp_path / "bare.obj", eyeballs=[(c, RADIUS) for c in centers]),
        lidshaper.build_rig(np.concatenate([points, balls[0][0], balls[1][0]]), all_faces),
    ]
    for rig in built:
        np.testing.assert_array_equal(rig.points, points)
        for eye in (L_EYE, R_EYE):
            assert margins(rig, eye) == margins(expected, eye)


def test_built_rig_plays_and_writes(face, plugin, tmp_path):
    points, faces, centers = face
    rig = lidshaper.build_rig(points, faces, [(c, RADIUS) for c in centers], frames=12)
    assert rig.frame_count == 12
    assert all(frame.status_name == "Success" for frame in rig.play())
    rig.write(str(tmp_path / "built.json"))
    assert lidshaper.read_rig(str(tmp_path / "built.json")).frame_count == 12


def test_overrides_reach_the_rig_and_the_report(face):
    points, faces, centers = face
    eyeballs = [(c, RADIUS) for c in centers]
    rig, report = lidshaper.build_rig(points, faces, eyeballs, report=True)
    assert [eye["side"] for eye in report] == ["left", "right"]
    left = report[0]
    assert left["upper_columns"] >= 2 and left["lower_columns"] >= 2
    assert left["neutral_largest"] >= left["neutral_rms"] >= 0

    fewer = max(left["between_rows"] - 2, 1)
    rig, report = lidshaper.build_rig(points, faces, eyeballs, between_rows=fewer, report=True)
    assert report[0]["between_rows"] == fewer
    columns = len(rig.attributes[L_EYE + "upperLidInnerIdxs"].values)
    assert len(rig.attributes[L_EYE + "upperLidBetweenIdxs"].values) == fewer * columns

    swapped, swapped_report = lidshaper.build_rig(points, faces, eyeballs, swap_sides=True, report=True)
    assert margins(swapped, L_EYE) == margins(rig, R_EYE)
    assert swapped_report[0]["inner_corner"] == report[1]["inner_corner"]

    corners = (left["inner_corner"], left["outer_corner"])
    given = [dict(center=centers[0], radius=RADIUS, inner_corner=corners[0], outer_corner=corners[1]), eyeballs[1]]
    _, given_report = lidshaper.build_rig(points, faces, given, report=True)
    assert (given_report[0]["inner_corner"], given_report[0]["outer_corner"]) == corners
    # The same by side, and a margin vertex next to the found corner taken as the corner.
    neighbour = int(rig.attributes[L_EYE + "upperLidInnerIdxs"].values[0])
    _, by_side = lidshaper.build_rig(points, faces, eyeballs, left_eye=dict(inner_corner=neighbour), report=True)
    assert by_side[0]["inner_corner"] == neighbour
    assert by_side[1]["inner_corner"] == report[1]["inner_corner"]


BAD = [
    ("build_rig(points, faces, [(centers[0], 2.5 * RADIUS), (centers[1], 2.5 * RADIUS)])", ValueError, "build_rig: "),
    ("build_rig(points, faces, [(centers[0], RADIUS)])", ValueError, "build_rig: "),
    ("build_rig(points, [[0, 1, len(points)]], [(c, RADIUS) for c in centers])", ValueError, r"faces\[0\]\[2\]: no point"),
    ("build_rig(points, None, [(c, RADIUS) for c in centers])", ValueError, "faces: "),
    ("build_rig(points[:, :2], faces)", ValueError, r"head: expected shape \(N, 3\)"),
    ("build_rig(points, faces, [dict(center=centers[0], radius=RADIUS, innr_corner=3), (centers[1], RADIUS)])",
     ValueError, r"eyeballs\[0\]\['innr_corner'\]: unknown key"),
    ("build_rig(points, faces, [dict(radius=RADIUS), (centers[1], RADIUS)])", ValueError, r"eyeballs\[0\]: expected"),
    ("build_rig(tmp_path / 'missing.obj')", FileNotFoundError, "no head file"),
    ("build_rig(points, faces)", ValueError, "build_rig: "),
    ("build_rig(points, faces, [(c, RADIUS) for c in centers], left_eye=dict(inner_corner=-1))", ValueError,
     "build_rig: "),
    ("build_rig(points, faces, [(c, RADIUS) for c in centers], right_eye=[1])", TypeError,
     "right_eye: expected a dict of overrides"),
]


@pytest.mark.parametrize("call, error, message", BAD, ids=[case[0] for case in BAD])
def test_bad_input_raises_naming_what_is_wrong(face, tmp_path, call, error, message):
    points, faces, centers = face
    with pytest.raises(error, match=message):
        scope = dict(build_rig=lidshaper.build_rig, RADIUS=RADIUS, points=points, faces=faces, centers=centers)
        eval(call, dict(scope, tmp_path=tmp_path))
