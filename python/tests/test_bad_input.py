"""Bad input raises a Python exception that names what was wrong; it never crashes."""
import concurrent.futures
import gc

import numpy as np
import pytest

import lidshaper

L_EYE = "lidShaper__eyes__L_eye__"


class Serial:
    """An executor that runs each job at once, in this process."""

    def submit(self, function, argument):
        future = concurrent.futures.Future()
        future.set_result(function(argument))
        return future


class Call:
    """What a case calls with: a node of the sample rig and its first frame's arguments."""

    def __init__(self, plugin, sample):
        self.plugin, self.sample = plugin, sample
        self.node = plugin.create(sample.node_name)
        self.attrs, self.points = sample.frame_attributes(0), sample.points


NAN_AT_7 = "np.where(np.arange(len(c.points))[:, None] == 7, np.nan, c.points)"
CASES = [
    ("c.node.deform(c.attrs, c.points[:, :2])", ValueError, r"points: expected shape \(N, 3\), got \(\d+, 2\)"),
    ("c.node.deform(c.attrs, c.points.astype(complex))", TypeError, "points: expected real numbers"),
    ("c.node.deform(c.attrs, [['a', 'b', 'c']])", TypeError, "points: expected real numbers, got a list of text"),
    ("c.node.deform(c.attrs, [[0, 0], [0]])", ValueError, "points: cannot be read as an array"),
    ("c.node.deform(c.attrs, " + NAN_AT_7 + ")", ValueError, r"points\[7, 0\]: expected a finite number, got nan"),
    ("c.node.deform(c.attrs, c.points, matrix=np.eye(3))", ValueError, r"matrix: expected shape \(4, 4\)"),
    ("c.node.deform(c.attrs, c.points, weights=np.ones(3))", ValueError, "weights: expected shape"),
    ("c.node.deform(c.attrs, c.points, weights=np.full(len(c.points), 1e300))", ValueError,
     r"weights\[0\]: beyond the 32-bit float range"),
    ("c.node.deform(c.attrs, c.points, out=c.points.astype(np.float32))", TypeError, "out: expected a writable"),
    ("c.node.deform(c.attrs, c.points, out=np.empty((3, 3)))", ValueError, "out: expected shape"),
    ("c.node.deform([], c.points)", TypeError, "attrs: expected a dict"),
    ("c.node.deform({1: 2.0}, c.points)", TypeError, "attrs: keys must be str"),
    ("c.node.deform({'CUSTOM': 1.0}, c.points)", TypeError, r"attrs\['CUSTOM'\]: the key is not declared"),
    ("c.node.deform({'ENVELOPE': '1'}, c.points)", TypeError, r"attrs\['ENVELOPE'\]: expected a real number, got str"),
    ("c.node.deform({'ENVELOPE': 1e300}, c.points)", ValueError, r"attrs\['ENVELOPE'\]: beyond the 32-bit float"),
    ("c.node.deform({L_EYE + 'closeEye': float('nan')}, c.points)", ValueError, "closeEye'\\]: expected a finite"),
    ("c.node.deform({L_EYE + 'eyeCompute': 1}, c.points)", TypeError, "eyeCompute'\\]: expected a bool"),
    ("c.node.deform({L_EYE + 'smoothOuter': 2**40}, c.points)", ValueError, "must fit in 32 bits"),
    ("c.node.deform({L_EYE + 'cornersIdxs': [0.5]}, c.points)", TypeError, "cornersIdxs'\\]: expected integers"),
    ("c.node.deform({L_EYE + 'centerEye': (1, 2)}, c.points)", ValueError, r"centerEye'\]: expected shape \(3,\)"),
    ("c.node.deform({L_EYE + 'nurbsSphere': 1.0}, c.points)", TypeError, "expected a lidshaper.Surface"),
    ("c.node.validate({L_EYE + 'upperLidMinorCurve': [1]})", TypeError, "expected a lidshaper.Curve"),
    ("lidshaper.Value('RgReal', 1.0)", ValueError, "unknown type name 'RgReal'"),
    ("lidshaper.Value('RgInt', values=[1, '2'])", TypeError, r"Value.values: expected integers"),
    ("lidshaper.Value('RgPtr', -1)", ValueError, "address cannot be negative"),
    ("lidshaper.Curve([[0, 0, 0]], [0, 1], degree=1.5)", TypeError, "degree: expected an int"),
    ("lidshaper.Surface(3, 3, 2, 2, [0] * 6, [0] * 6, np.zeros((4, 3)))", ValueError, "Surface: "),
    ("lidshaper.Surface(1, 1, 2, 2, [0, 0, 1, 1], [0, 0, 1, 1], np.zeros((4, 3)), form_u='closed')", ValueError,
     "form_u: expected 'open' or 'periodic'"),
    ("lidshaper.load_plugin('/nonexistent/lidShaper_2018.so')", OSError, "/nonexistent/lidShaper_2018.so"),
    ("lidshaper.read_rig('/nonexistent/rig.json')", FileNotFoundError, "/nonexistent/rig.json"),
    ("c.sample.play(frames=range(5, 99))", ValueError, "frames: frames 5-98 are outside the rig's frames 0-11"),
    ("c.sample.play(frames=range(3, 1))", ValueError, "frames: .*non-empty range"),
    ("c.sample.frame_attributes(99)", IndexError, "frame_attributes: frame 99"),
    ("setattr(c.sample, 'faces', [[0, 1, 10**6]])", ValueError, r"faces\[0\]\[2\]: no point 1000000"),
    ("setattr(c.sample, 'weights', [1.0])", ValueError, "weights: expected shape"),
    ("setattr(c.sample, 'attributes', {'CUSTOM': 1})", TypeError, r"attributes\['CUSTOM'\]: the key is not declared"),
    ("setattr(c.sample, 'frames', [{}, {'ENVELOPE': 'x'}])", TypeError, r"frames\[1\]\['ENVELOPE'\]"),
    ("lidshaper.sample_rig(columns=0)", ValueError, "sample_rig: "),
    ("c.plugin.help({'RG_NODE_PTR': lidshaper.Value('RgPtr', 8)})", ValueError, "RG_NODE_PTR"),
    ("lidshaper.bake(['a/x.rig.json', 'b/x.rig.json'], 'out')", ValueError, "would write the same outputs"),
    ("lidshaper.bake(['/nonexistent/x.rig.json'], '/nonexistent/out', executor=Serial())", FileNotFoundError,
     "/nonexistent/x.rig.json"),
    ("lidshaper.bake(['/nonexistent/x.rig.json'], 'out', chunk_frames=0)", ValueError, "chunk_frames"),
]


@pytest.mark.parametrize("call, error, message", CASES, ids=[case[0] for case in CASES])
def test_bad_arguments_raise_exceptions_naming_them(plugin, sample, call, error, message):
    c = Call(plugin, sample)
    with pytest.raises(error, match=message):
        eval(call, {"c": c, "np": np, "lidshaper": lidshaper, "L_EYE": L_EYE, "Serial": Serial})


def test_node_failures_stay_statuses_and_messages(plugin, sample):
    node = plugin.create("eyeRig1")
    attrs = dict(sample.frame_attributes(0))
    del attrs[L_EYE + "closeEye"]
    result = node.deform(attrs, sample.points)
    assert (result.status, result.status_name) == (1, "Failure")
    assert result.errors == ["eyeRig1: get attributes: cannot find '" + L_EYE + "closeEye' (RgDouble) attribute"]
    np.testing.assert_array_equal(result.points, sample.points)
    assert node.validate(attrs).errors == result.errors
    assert plugin.help().output == "Commands: "
    refused = plugin.help({"GET_ATTRIBUTES_PTR": lidshaper.Value("RgPtr")}, node_name="eyeRig1")
    assert (refused.status_name, refused.output) == ("Failure", None) and refused.errors[0].startswith("eyeRig1: ASSERT")


def test_nodes_keep_their_plugin_alive(sample):
    node = lidshaper.load_plugin(lidshaper.load_plugin().path).create(sample.node_name)
    gc.collect()
    assert node.deform(sample.frame_attributes(0), sample.points).status_name == "Success"
