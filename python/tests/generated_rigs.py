"""Valid rigs of the kind a pipeline writes, made from a seed: the sample rig at a random size,
its eyeballs given as one of several equivalent surface kinds, and 1-5 frames that each change
keys of any class (controls, index lists, surface parameters, move vectors, offsets, curves,
eyeball surfaces, host settings).

    rig = generated_rig(seed)     # a lidshaper.Rig; `rghost validate` passes it
"""
import random

import numpy as np

import lidshaper

EYES = ("L_eye", "R_eye")
LIDS = ("upper", "lower")


def _key(eye, field):
    return f"lidShaper__eyes__{eye}__{field}"


def _transposed(surface):
    """The same surface with u and v swapped."""
    cvs = np.asarray(surface.cvs).reshape(surface.cv_count_u, surface.cv_count_v, 4).transpose(1, 0, 2)
    return lidshaper.Surface(surface.degree_v, surface.degree_u, surface.cv_count_v, surface.cv_count_u,
                             surface.knots_v, surface.knots_u, cvs.reshape(-1, 4), surface.form_v, surface.form_u,
                             surface.world_matrix)


def _reweighted(surface, weight):
    """The same surface with every rational weight equal to `weight` (the shape does not change)."""
    cvs = np.array(surface.cvs)
    cvs[:, 3] = weight
    return lidshaper.Surface(surface.degree_u, surface.degree_v, surface.cv_count_u, surface.cv_count_v,
                             surface.knots_u, surface.knots_v, cvs, surface.form_u, surface.form_v,
                             surface.world_matrix)


def _placed(surface, world_matrix):
    return surface.with_world_matrix(world_matrix)


def _turn(angle, axis):
    """A row-vector rotation matrix about the X, Y or Z axis."""
    c, s = np.cos(angle), np.sin(angle)
    i, j = [(1, 2), (2, 0), (0, 1)][axis]
    matrix = np.identity(4)
    matrix[i, i] = matrix[j, j] = c
    matrix[i, j], matrix[j, i] = s, -s
    return matrix


def _swap_uv(value):
    return lidshaper.Value("RgVector", value.value, np.asarray(value.values)[:, [1, 0, 2]])


def _surface_kind(attributes, kind):
    """Gives both eyeballs as surface kind `kind`; swapped directions swap the lids' surface parameters."""
    for eye in EYES:
        sphere = attributes[_key(eye, "nurbsSphere")]
        if kind == "transposed":
            attributes[_key(eye, "nurbsSphere")] = _transposed(sphere)
            for lid in LIDS:
                for field in ("InnerUV", "OuterUV"):
                    attributes[_key(eye, lid + "Lid" + field)] = _swap_uv(attributes[_key(eye, lid + "Lid" + field)])
        elif kind == "rational":
            attributes[_key(eye, "nurbsSphere")] = _reweighted(sphere, 2.5)


def _reversed_columns(attributes, eye, lid):
    """The lid's columns listed from the other corner: every per-column list reversed by column."""
    columns = len(attributes[_key(eye, lid + "LidInnerIdxs")].values)
    changed = {}
    for field in ("InnerIdxs", "OuterIdxs", "CenterIdxs", "BetweenIdxs", "InnerUV", "OuterUV", "MoveVector",
                  "OutLoopOffset"):
        value = attributes[_key(eye, lid + "Lid" + field)]
        values = np.asarray(value.values)
        if len(values) % columns:
            continue
        per_column = values.reshape(columns, -1, *values.shape[1:])[::-1]
        changed[_key(eye, lid + "Lid" + field)] = lidshaper.Value(value.type_name, value.value,
                                                                 per_column.reshape(values.shape))
    return changed


def _frame_changes(rng, attributes):
    """One frame's overrides: a few keys of different classes changed to other valid values."""
    eye = rng.choice(EYES)
    lid = rng.choice(LIDS)

    def scaled(field, low, high):
        value = attributes[_key(eye, field)]
        return {_key(eye, field): lidshaper.Value(value.type_name, value.value,
                                                  np.asarray(value.values) * rng.uniform(low, high))}

    def curve():
        old = attributes[_key(eye, lid + "LidMinorCurve")]
        cvs = np.asarray(old.cvs) * [1.0, rng.uniform(0.8, 1.2), 1.0]
        return {_key(eye, lid + "LidMinorCurve"): lidshaper.Curve(cvs, old.knots, old.degree)}

    def sphere():
        old = attributes[_key(eye, "nurbsSphere")]
        turn = _turn(rng.uniform(-0.3, 0.3), rng.randrange(3)) @ _turn(rng.uniform(-0.3, 0.3), rng.randrange(3))
        turn[3, :3] = rng.uniform(-0.05, 0.05), rng.uniform(-0.05, 0.05), 0.0
        return {_key(eye, "nurbsSphere"): _placed(old, turn @ np.asarray(old.world_matrix))}

    def uv():
        old = attributes[_key(eye, lid + "LidOuterUV")]
        values = np.asarray(old.values) + [rng.uniform(-0.01, 0.01), rng.uniform(-0.01, 0.01), 0.0]
        return {_key(eye, lid + "LidOuterUV"): lidshaper.Value("RgVector", old.value, values)}

    def control():
        field = rng.choice(("closeEye", "closeLine", "upperLidControl", "lowerLidControl", "upperLidOuterControl"))
        return {_key(eye, field): lidshaper.Value("RgDouble", rng.uniform(0.0, 1.0))}

    def host():
        return rng.choice(({"CACHE_ATTRIBUTES": lidshaper.Value("RgBoolean", rng.random() < 0.5)},
                           {"ENVELOPE": lidshaper.Value("RgFloat", rng.uniform(0.5, 1.0))}))

    def switch():
        return {_key(eye, "eyeCompute"): lidshaper.Value("RgBoolean", False),
                _key(eye, "smoothOuter"): lidshaper.Value("RgInt", rng.randrange(0, 5))}

    makers = (
        lambda: scaled(lid + "LidMoveVector", 0.5, 1.5),
        lambda: scaled("pointsOffset", 0.0, 2.0),
        lambda: _reversed_columns(attributes, eye, lid),
        curve, sphere, uv, control, host, switch,
    )
    changes = {}
    for make in rng.sample(makers, rng.randint(1, 4)):
        changes.update(make())
    return changes


def generated_rig(seed):
    """A valid rig with 1-5 frames made from `seed`; the same seed gives the same rig."""
    rng = random.Random(seed)
    rig = lidshaper.sample_rig(columns=rng.choice((8, 12, 16, 24)), center_rows=rng.randint(2, 4),
                               between_rows=rng.randint(3, 6), frames=1, soft_region=rng.random() < 0.7)
    attributes = dict(rig.attributes)
    _surface_kind(attributes, rng.choice(("as built", "transposed", "rational")))
    rig.attributes = attributes
    rig.frames = [_frame_changes(rng, attributes) for _ in range(rng.randint(1, 5))]
    rig.start_frame = rng.randint(-3, 10)
    rig.node_name = f"generatedRig{seed}"
    return rig
