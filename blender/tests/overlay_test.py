"""The viewport overlay in background mode: its callbacks and settings register, its marks are
the lidshaper module's overlay of the live rig in Blender's world space and follow the live
deformation, reading them deforms nothing, and they come back after a file is loaded.

Runs inside Blender: blender -b --factory-startup --python overlay_test.py
"""
import os

import bpy
import lidshaper
import numpy as np
from support import SAMPLE_RIG, AddonTestCase, run

import lidshaper_live
from lidshaper_live import live, overlay

CLOSE_LEFT = "lidShaper__eyes__L_eye__closeEye"


class CountingNode:
    """A node that counts its deform calls."""

    def __init__(self, node):
        self.node = node
        self.name = node.name
        self.deforms = 0

    def deform(self, *args, **kwargs):
        self.deforms += 1
        return self.node.deform(*args, **kwargs)


class OverlayTest(AddonTestCase):
    def setUp(self):
        super().setUp()
        self.rig = lidshaper_live.set_up(bpy.context, SAMPLE_RIG)
        bpy.context.scene.lidshaper_overlay.show = True

    def columns(self):
        return next(marks for name, _, marks in overlay.shown_marks(bpy.context) if name == "columns")["segments"]

    def test_registers_a_switch_per_category_and_draws_only_what_is_switched_on(self):
        self.assertTrue(overlay.registered())
        settings = bpy.context.scene.lidshaper_overlay
        names = [name for name, _, _ in lidshaper.overlay_categories()]
        self.assertEqual(len(overlay.shown_marks(bpy.context)), len(names))
        for name in names:
            setattr(settings, overlay.property_name(name), False)
        settings.columns = True
        self.assertEqual(len(overlay.shown_marks(bpy.context)), 1)
        settings.show = False
        self.assertEqual(overlay.shown_marks(bpy.context), [])

    def test_marks_are_the_module_overlay_of_the_live_rig_in_world_space(self):
        session = live.existing_session(self.rig)
        mesh = self.rig.lidshaper.mesh
        expected = lidshaper.overlay(session.inputs(self.rig, session.last_frame), session.points,
                                     overlay.rig_space_matrix(self.rig, mesh))
        first = expected["columns"]["lines"][0]
        world = np.array(self.rig.matrix_world)
        start = world[:3, :3] @ first[0] + world[:3, 3]
        np.testing.assert_allclose(self.columns()[0], start, atol=1e-5)
        # The same point as Blender places the mesh vertex.
        vertex = mesh.matrix_world @ mesh.data.vertices[int(
            session.inputs(self.rig, 0)["lidShaper__eyes__L_eye__upperLidInnerIdxs"].values[0])].co
        np.testing.assert_allclose(self.columns()[0], np.array(vertex), atol=1e-4)

    def test_follows_live_deformation_without_deforming(self):
        before = self.columns().copy()
        setattr(self.rig.lidshaper.controls, CLOSE_LEFT, 1.0)  # deforms live, as an edit does
        after = self.columns()
        self.assertGreater(np.abs(after - before).max(), 0.01)
        session = live.existing_session(self.rig)
        session.node = CountingNode(session.node)
        for _ in range(3):
            overlay.shown_marks(bpy.context)
        bpy.context.scene.lidshaper_overlay.show = False
        overlay.shown_marks(bpy.context)
        self.assertEqual(session.node.deforms, 0)

    def test_survives_a_file_load(self):
        bpy.context.scene.lidshaper_overlay.corners = False
        name = self.rig.name
        path = os.path.join(self.folder, "scene.blend")
        bpy.ops.wm.save_as_mainfile(filepath=path)
        bpy.ops.wm.open_mainfile(filepath=path)
        self.assertTrue(overlay.registered())
        settings = bpy.context.scene.lidshaper_overlay
        self.assertTrue(settings.show)
        self.assertFalse(settings.corners)
        self.rig = bpy.data.objects[name]
        self.assertGreater(len(self.columns()), 0)
        self.assertEqual(overlay.draw_errors, [])


run()
