"""The add-on in a real Blender window (on a virtual display): its operators run from the 3D
viewport's context, the sidebar panel draws its groups, and a viewport screenshot shows the lids
the node deformed.

Runs in a Blender window: xvfb-run -a blender --factory-startup --python ui_test.py -- OUT_FOLDER
(the screenshots stay in OUT_FOLDER to be looked at)
"""
import os
import sys
import tempfile
import unittest

import bpy
import numpy as np
from support import SAMPLE_RIG, assert_points_close, mesh_points, rghost_points, run_in_window, view3d_context

import lidshaper_live
from lidshaper_live import ui

OUT_FOLDER = sys.argv[sys.argv.index("--") + 1]


def redraw():
    with bpy.context.temp_override(**view3d_context()):
        bpy.ops.wm.redraw_timer(type="DRAW_WIN_SWAP", iterations=1)


def screenshot(name):
    """The 3D viewport as the window shows it, as pixels (rows, columns, RGBA)."""
    path = os.path.join(OUT_FOLDER, name)
    redraw()
    with bpy.context.temp_override(**view3d_context()):
        bpy.ops.screen.screenshot_area(filepath=path)
    image = bpy.data.images.load(path)
    pixels = np.array(image.pixels[:]).reshape(image.size[1], image.size[0], 4)
    bpy.data.images.remove(image)
    return pixels


class WindowTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.makedirs(OUT_FOLDER, exist_ok=True)
        lidshaper_live.register()
        for obj in list(bpy.data.objects):  # the startup scene's cube, camera and light
            bpy.data.objects.remove(obj)

    @classmethod
    def tearDownClass(cls):
        lidshaper_live.unregister()

    def test_operators_panel_and_viewport(self):
        with tempfile.TemporaryDirectory() as folder:
            expected = rghost_points(SAMPLE_RIG, folder)
            with bpy.context.temp_override(**view3d_context()):
                self.assertEqual(bpy.ops.lidshaper.import_rig("EXEC_DEFAULT", filepath=SAMPLE_RIG), {"FINISHED"})
            rig_object = bpy.context.view_layer.objects.active
            self.assertEqual(rig_object.name, "eyeRig1")
            with bpy.context.temp_override(**view3d_context(), object=rig_object, active_object=rig_object):
                exported = os.path.join(folder, "exported.json")
                self.assertEqual(bpy.ops.lidshaper.export_rig("EXEC_DEFAULT", filepath=exported), {"FINISHED"})
                self.assertTrue(os.path.exists(exported))

        # Front view, framed on the face: the lids open at frame 0 and closed at frame 8 differ on screen.
        space = view3d_context()["area"].spaces.active
        space.overlay.show_overlays = False
        with bpy.context.temp_override(**view3d_context()):
            bpy.ops.view3d.view_axis(type="FRONT")
            bpy.ops.object.select_all(action="SELECT")
            bpy.ops.view3d.view_selected()
        scene = bpy.context.scene
        shots = {}
        for frame in (0, 8):
            scene.frame_set(frame)
            assert_points_close(mesh_points(rig_object), expected[frame])
            shots[frame] = screenshot(f"viewport-frame{frame}.png")
        changed = np.abs(shots[0] - shots[8]).max(axis=2) > 0.05
        self.assertGreater(changed.mean(), 0.002, "the blink does not show in the viewport")

        # The panel draws in the window (as a popup of the viewport): its groups as the schema gives them.
        drawn = []
        contents = ui.panel_contents
        ui.panel_contents = lambda live_rig: drawn.append(contents(live_rig)) or drawn[-1]
        try:
            with bpy.context.temp_override(**view3d_context()):
                bpy.ops.wm.call_panel(name="LIDSHAPER_PT_rig", keep_open=False)
            redraw()
        finally:
            ui.panel_contents = contents
        self.assertTrue(drawn, "the panel was not drawn")
        titles = [title for title, _, _ in drawn[-1]]
        self.assertEqual(titles, ["Left eye", "Right eye", "Soft region", "Host settings"])
        left = dict((title, keys) for title, keys, _ in drawn[-1])["Left eye"]
        self.assertIn("lidShaper__eyes__L_eye__closeEye", left)

    def test_undo_and_redo_evaluate_again(self):
        with bpy.context.temp_override(**view3d_context()):
            bpy.ops.lidshaper.import_rig("EXEC_DEFAULT", filepath=SAMPLE_RIG)
        name = bpy.context.view_layer.objects.active.name
        bpy.context.scene.frame_set(20)
        opened = mesh_points(bpy.data.objects[name])

        def step(operator):
            with bpy.context.temp_override(**view3d_context()):
                operator()
            rig_object = bpy.data.objects[name]  # undo may give back other objects than it took
            alive = {obj.as_pointer() for obj in bpy.context.scene.objects}
            self.assertLessEqual(set(lidshaper_live.live._sessions), alive)
            return rig_object.lidshaper.surfaces[0].object.rotation_euler[0], mesh_points(rig_object)

        # The step after the turn is stored before the mesh follows the eyeball: going back to it
        # must deform again.
        bpy.ops.ed.undo_push(message="open")
        eyeball = bpy.data.objects[name].lidshaper.surfaces[0].object
        start = eyeball.rotation_euler[0]
        eyeball.rotation_euler[0] = start + 0.3
        bpy.ops.ed.undo_push(message="eyeball turned")
        bpy.context.view_layer.update()
        turned = mesh_points(bpy.data.objects[name])
        self.assertGreater(np.abs(turned - opened).max(), 1e-3)

        angle, points = step(bpy.ops.ed.undo)
        self.assertEqual(angle, start)
        assert_points_close(points, opened)
        angle, points = step(bpy.ops.ed.redo)
        self.assertAlmostEqual(angle, start + 0.3, places=6)
        assert_points_close(points, turned)
        self.assertEqual(lidshaper_live.live.message(bpy.data.objects[name]), "")

run_in_window()
