"""What the tests that run inside Blender share: paths of this checkout, points as `rghost deform`
plays a rig file and as Blender shows a mesh, and the runner.

PYTHONPATH names this folder, python/tests (the rig generator) and, where the add-on is not
installed, the checkout's blender/ and the build's python/; LIDSHAPER_RGHOST names the rghost
to compare with.
"""
import json
import os
import subprocess
import sys
import tempfile
import unittest

import bpy
import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SAMPLE_RIG = os.path.join(ROOT, "examples", "sample-eye-rig.json")
RGHOST = os.environ.get("LIDSHAPER_RGHOST", os.path.join(ROOT, "build", "bin", "rghost"))

TOLERANCE = 2e-6  # Blender keeps points, keys and matrices in single precision


def rghost_points(rig_path, folder):
    """Points of every frame as `rghost deform` plays the rig file."""
    result_path = os.path.join(folder, "result.json")
    subprocess.run([RGHOST, "deform", rig_path, "-o", result_path], check=True, capture_output=True)
    with open(result_path) as result:
        return {frame["frame"]: np.array(frame["points"]) for frame in json.load(result)["frames"]}


def mesh_points(rig_object):
    """The mesh's points in its own space (the rig file's), as Blender shows them."""
    mesh = rig_object.lidshaper.mesh.evaluated_get(bpy.context.evaluated_depsgraph_get()).data
    points = np.empty(len(mesh.vertices) * 3, dtype=np.float32)
    mesh.vertices.foreach_get("co", points)
    return points.reshape(-1, 3).astype(np.float64)


def add_sample_head(location=(0.0, 0.0, 0.0), radius=1.4):
    """The sample rig's face as a head mesh standing upright at `location`, as a modelled head
    stands in Blender, and its eyeballs as UV spheres of `radius`, linked to the context's
    collection: a head to rig eyelids on. Returns (sample rig, head, [left eyeball, right eyeball])."""
    import lidshaper
    from lidshaper_live.space import Y_UP_TO_Z_UP
    from mathutils import Matrix, Vector

    sample = lidshaper.sample_rig(frames=12)
    mesh = bpy.data.meshes.new("face")
    mesh.from_pydata(sample.points.tolist(), [], [list(face) for face in sample.faces])
    head = bpy.data.objects.new("face", mesh)
    head.matrix_world = Matrix.Translation(location) @ Y_UP_TO_Z_UP
    bpy.context.collection.objects.link(head)
    eyeballs = []
    for side in ("L", "R"):
        center = sample.attributes[f"lidShaper__eyes__{side}_eye__centerEye"].value
        bpy.ops.mesh.primitive_uv_sphere_add(radius=radius, location=head.matrix_world @ Vector(center))
        eyeball = bpy.context.view_layer.objects.active
        eyeball.name = "eyeball_" + side
        eyeballs.append(eyeball)
    return sample, head, eyeballs


def write_rig(rig, folder, name="rig.json"):
    path = os.path.join(folder, name)
    rig.write(path)
    return path


def assert_points_close(actual, expected, message=""):
    np.testing.assert_allclose(actual, expected, rtol=0, atol=TOLERANCE * max(1.0, np.abs(expected).max()),
                               err_msg=message)


class AddonTestCase(unittest.TestCase):
    """The add-on registered for the class's tests; each test starts from an empty scene with a
    temporary folder of its own (`self.folder`)."""

    @classmethod
    def setUpClass(cls):
        import lidshaper_live
        lidshaper_live.register()

    @classmethod
    def tearDownClass(cls):
        import lidshaper_live
        lidshaper_live.unregister()

    def setUp(self):
        bpy.ops.wm.read_factory_settings(use_empty=True)
        self.folder = self.enterContext(tempfile.TemporaryDirectory())


def _script_cases():
    return unittest.defaultTestLoader.loadTestsFromModule(sys.modules["__main__"])


def _run_suite(suite):
    return 0 if unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful() else 1


def run():
    """Runs the test cases of the calling script; a failure fails Blender's exit code."""
    sys.exit(_run_suite(_script_cases()))


def run_in_window():
    """Runs the test cases of the calling script once Blender's window is up and has drawn, then
    leaves Blender with their exit code (a window test runs on a virtual display)."""
    bpy.context.preferences.view.show_splash = False
    suite = _script_cases()  # now: the script's module is gone once the script has run

    def when_drawn():
        code = _run_suite(suite)
        sys.stdout.flush()
        sys.stderr.flush()
        os._exit(code)  # the window's event loop would go on; a failure must reach the exit code

    bpy.app.timers.register(when_drawn, first_interval=1.0)


def view3d_context():
    """Context members for operators that run from the 3D viewport of the first window."""
    window = bpy.context.window_manager.windows[0]
    area = next(area for area in window.screen.areas if area.type == "VIEW_3D")
    region = next(region for region in area.regions if region.type == "WINDOW")
    return {"window": window, "screen": window.screen, "area": area, "region": region}


def redraw():
    with bpy.context.temp_override(**view3d_context()):
        bpy.ops.wm.redraw_timer(type="DRAW_WIN_SWAP", iterations=1)


def viewport_pixels(path):
    """The 3D viewport as the window shows it, saved to `path`, as pixels (rows from the bottom,
    columns, RGBA)."""
    redraw()
    with bpy.context.temp_override(**view3d_context()):
        bpy.ops.screen.screenshot_area(filepath=path)
    image = bpy.data.images.load(path)
    pixels = np.empty(len(image.pixels), dtype=np.float32)  # len loads the file
    image.pixels.foreach_get(pixels)
    width, height = image.size
    bpy.data.images.remove(image)
    return pixels.reshape(height, width, -1)


def front_view_on(mesh_object):
    """Front view, framed on `mesh_object` alone."""
    with bpy.context.temp_override(**view3d_context()):
        bpy.ops.object.select_all(action="DESELECT")
        mesh_object.select_set(True)
        bpy.ops.view3d.view_axis(type="FRONT")
        bpy.ops.view3d.view_selected()
