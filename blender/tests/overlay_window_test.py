"""The viewport overlay in a window (under a virtual display in CI): screenshots of the 3D view
hold the colours of the categories switched on and none of the others, and the overlay keeps
drawing after an undo and after a file load, without an error in its draw callbacks.

The check counts a screenshot's pixels of each category's colour: the overlay draws flat
colours over everything, picked to appear nowhere else in the viewport, so a count says
whether a category is drawn without depending on how a graphics driver smooths a line.

Runs in a window: xvfb-run blender --factory-startup --python overlay_window_test.py
"""
import os
import tempfile
import unittest

import bpy
import numpy as np
from support import SAMPLE_RIG, front_view_on, run_in_window, view3d_context, viewport_pixels

import lidshaper_live
from lidshaper_live import overlay

COLORS = {name: np.array(color) for name, _, color in overlay.CATEGORIES}
TOLERANCE = 0.06  # per channel, of 1
DRAWN = 200       # pixels of a category's colour when it is drawn (a line of the columns alone has ~100)
STRAY = 5


def colour_counts(folder):
    """Pixels of each category's colour in a screenshot of the 3D view."""
    rgb = viewport_pixels(os.path.join(folder, "view.png"))[:, :, :3].reshape(-1, 3)
    return {name: int(np.all(np.abs(rgb - color) < TOLERANCE, axis=1).sum()) for name, color in COLORS.items()}


def only(*names):
    settings = bpy.context.scene.lidshaper_overlay
    settings.show = True
    for name in COLORS:
        setattr(settings, overlay.property_name(name), name in names)


class OverlayWindowTest(unittest.TestCase):
    def setUp(self):
        bpy.ops.wm.read_homefile(use_empty=True)
        bpy.context.preferences.view.smooth_view = 0
        self.rig = lidshaper_live.set_up(bpy.context, SAMPLE_RIG)
        self.frame()
        self.folder = self.enterContext(tempfile.TemporaryDirectory())

    def tearDown(self):
        self.assertEqual(overlay.draw_errors, [])

    def frame(self):
        bpy.context.view_layer.objects.active = self.rig.lidshaper.mesh
        front_view_on(self.rig.lidshaper.mesh)

    def test_draws_the_categories_switched_on_and_nothing_when_off(self):
        only("columns")
        counts = colour_counts(self.folder)
        self.assertGreater(counts["columns"], DRAWN)
        self.assertLess(counts["corners"], STRAY)
        only("corners", "close-line")
        counts = colour_counts(self.folder)
        self.assertGreater(counts["corners"], DRAWN // 4)
        self.assertGreater(counts["close-line"], DRAWN // 4)
        self.assertLess(counts["columns"], STRAY)
        bpy.context.scene.lidshaper_overlay.show = False
        self.assertTrue(all(count < STRAY for count in colour_counts(self.folder).values()))

    def test_keeps_drawing_after_undo(self):
        only("columns")
        open_eye = colour_counts(self.folder)["columns"]
        with bpy.context.temp_override(**view3d_context()):
            bpy.ops.ed.undo_push(message="before closing")
            setattr(self.rig.lidshaper.controls, "lidShaper__eyes__L_eye__closeEye", 1.0)
            bpy.ops.ed.undo_push(message="closed")
            bpy.ops.ed.undo()
        self.assertTrue(overlay.registered())
        self.assertGreater(colour_counts(self.folder)["columns"], open_eye // 2)

    def test_keeps_drawing_after_a_file_load(self):
        only("columns")
        path = os.path.join(self.folder, "scene.blend")
        bpy.ops.wm.save_as_mainfile(filepath=path)
        bpy.ops.wm.open_mainfile(filepath=path)
        self.rig = next(obj for obj in bpy.context.scene.objects if obj.lidshaper.rig_path)
        self.frame()
        self.assertTrue(overlay.registered())
        self.assertGreater(colour_counts(self.folder)["columns"], DRAWN)


lidshaper_live.register()
run_in_window()
