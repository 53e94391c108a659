"""The add-on in a real Blender window (on a virtual display): its operators (import, export, Rig
Eyelids) run from the 3D viewport's context, the sidebar panel draws its groups, viewport
screenshots show the lids the node deformed and the overlay over a built rig, and undo and redo
deform again.

Runs in a Blender window: xvfb-run -a blender --factory-startup --python ui_test.py -- OUT_FOLDER
(the screenshots stay in OUT_FOLDER to be looked at)
"""
import os
import sys
import tempfile
import unittest

import bpy
import numpy as np
from support import (SAMPLE_RIG, add_sample_head, assert_points_close, front_view_on, mesh_points, redraw,
                     rghost_points, run_in_window, view3d_context, viewport_pixels)

import lidshaper_live
from lidshaper_live import overlay, ui

OUT_FOLDER = sys.argv[sys.argv.index("--") + 1]


def screenshot(name):
    return viewport_pixels(os.path.join(OUT_FOLDER, name))


class WindowTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.makedirs(OUT_FOLDER, exist_ok=True)
        lidshaper_live.register()

    @classmethod
    def tearDownClass(cls):
        lidshaper_live.unregister()

    def setUp(self):
        # An empty scene in a fresh screen: no earlier test's rig or popup panel.
        bpy.ops.wm.read_homefile(use_empty=True)
        view3d_context()["area"].spaces.active.overlay.show_overlays = False

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
        front_view_on(rig_object.lidshaper.mesh)
        scene = bpy.context.scene
        shots = {}
        for frame in (0, 8):
            scene.frame_set(frame)
            assert_points_close(mesh_points(rig_object), expected[frame])
            shots[frame] = screenshot(f"viewport-frame{frame}.png")
        self.assertGreater(changed_fraction(shots[0], shots[8]), 0.002, "the blink does not show in the viewport")

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

    def test_rig_eyelids_from_the_viewport_goes_live_and_shows_the_overlay(self):
        _, head, eyeballs = add_sample_head(location=(0.5, -2.0, 1.0))
        # Selected in the viewport as the panel asks: the eyeballs, then the head (active).
        with bpy.context.temp_override(**view3d_context()):
            bpy.ops.object.select_all(action="DESELECT")
        for obj in (*eyeballs, head):
            obj.select_set(True)
        bpy.context.view_layer.objects.active = head
        with tempfile.TemporaryDirectory() as folder, bpy.context.temp_override(**view3d_context()):
            self.assertTrue(bpy.types.LIDSHAPER_PT_rig_eyelids.poll(bpy.context), "the panel shows no Rig Eyelids")
            rig_path = os.path.join(folder, "face.rig.json")
            self.assertEqual(bpy.ops.lidshaper.rig_eyelids("INVOKE_DEFAULT", rig_path=rig_path), {"FINISHED"})
            self.assertTrue(os.path.exists(rig_path))
        rig_object = bpy.context.view_layer.objects.active
        settings = rig_object.lidshaper
        self.assertTrue(settings.live)
        self.assertEqual(lidshaper_live.live.message(rig_object), "")
        self.assertFalse(head.visible_get())

        front_view_on(settings.mesh)
        opened = mesh_points(rig_object)
        open_shot = screenshot("rig-eyelids-open.png")
        for side in "LR":
            setattr(settings.controls, f"lidShaper__eyes__{side}_eye__closeEye", 1.0)
        closed = mesh_points(rig_object)
        self.assertGreater(np.abs(closed - opened).max(), 0.1, "closing the eyes moves no point")
        closed_shot = screenshot("rig-eyelids-closed.png")
        self.assertGreater(changed_fraction(open_shot, closed_shot), 0.002, "the blink does not show in the viewport")

        view3d_context()["area"].spaces.active.overlay.show_overlays = True
        without_overlay = screenshot("rig-eyelids-closed-viewport-overlays.png")
        bpy.context.scene.lidshaper_overlay.show = True
        with_overlay = screenshot("rig-eyelids-closed-overlay.png")
        self.assertEqual(overlay.draw_errors, [])
        self.assertGreater(changed_fraction(without_overlay, with_overlay), 0.002, "the overlay does not show")

    def test_undo_and_redo_deform_at_the_frame_they_restore(self):
        # Undo reads back only what changed between the two steps: the frame comes back, but the
        # mesh, the same in both steps, keeps the points of the frame it was scrubbed to. The
        # undo handler deforms it again at the restored frame.
        with bpy.context.temp_override(**view3d_context()):
            bpy.ops.lidshaper.import_rig("EXEC_DEFAULT", filepath=SAMPLE_RIG)
        name = bpy.context.view_layer.objects.active.name
        with tempfile.TemporaryDirectory() as folder:
            expected = rghost_points(SAMPLE_RIG, folder)

        def step(operator):
            with bpy.context.temp_override(**view3d_context()):
                operator()
            scene = bpy.context.scene  # undo gives back other objects than it took
            alive = {obj.as_pointer() for obj in scene.objects}
            self.assertLessEqual(set(lidshaper_live.live._sessions), alive)
            return scene.frame_current, mesh_points(bpy.data.objects[name])

        bpy.context.scene.frame_set(20)
        with bpy.context.temp_override(**view3d_context()):
            bpy.ops.ed.undo_push(message="open")
            bpy.data.objects[name].lidshaper.live = True  # deforms again, to the same points
            bpy.ops.ed.undo_push(message="live again")
        bpy.context.scene.frame_set(8)  # scrubbing is no undo step
        assert_points_close(mesh_points(bpy.data.objects[name]), expected[8])

        frame, points = step(bpy.ops.ed.undo)
        self.assertEqual(frame, 20)
        assert_points_close(points, expected[20], "undo left the mesh at the frame it was scrubbed to")
        bpy.context.scene.frame_set(8)
        frame, points = step(bpy.ops.ed.redo)
        self.assertEqual(frame, 20)
        assert_points_close(points, expected[20], "redo left the mesh at the frame it was scrubbed to")
        self.assertEqual(lidshaper_live.live.message(bpy.data.objects[name]), "")


def changed_fraction(before, after):
    """The fraction of pixels that differ between two screenshots."""
    return (np.abs(before - after).max(axis=2) > 0.05).mean()


run_in_window()
