"""Rig Eyelids in background mode: a head and its eyeball meshes, selected, become a live rig
that blinks; margins selected in edit mode are taken as given; a selection no rig can be built
from is refused and leaves the scene as it was.

Runs inside Blender: blender -b --factory-startup --python rig_eyelids_test.py
(with the build's lidshaper module on PYTHONPATH)
"""
import os
import sys
import tempfile
import unittest

import bmesh
import bpy
import lidshaper
import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "blender"))
import lidshaper_live  # noqa: E402

L_EYE = "lidShaper__eyes__L_eye__"
R_EYE = "lidShaper__eyes__R_eye__"


def mesh_points(obj):
    mesh = obj.evaluated_get(bpy.context.evaluated_depsgraph_get()).data
    points = np.empty(len(mesh.vertices) * 3, dtype=np.float32)
    mesh.vertices.foreach_get("co", points)
    return points.reshape(-1, 3).astype(np.float64)


class RigEyelidsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        lidshaper_live.register()
        sample = lidshaper.sample_rig(frames=12)
        cls.points, cls.faces = sample.points, sample.faces
        cls.centers = [np.array(sample.attributes[eye + "centerEye"].value) for eye in (L_EYE, R_EYE)]
        # Each eye's margin loop: both lids' margin rows and the corners between them.
        _, report = lidshaper.build_rig(cls.points, cls.faces, [(c, 1.4) for c in cls.centers], report=True)
        cls.margins = {eye: [int(i) for lid in ("upper", "lower")
                             for i in sample.attributes[eye + lid + "LidInnerIdxs"].values]
                       + [found["inner_corner"], found["outer_corner"]]
                       for eye, found in zip((L_EYE, R_EYE), report)}

    @classmethod
    def tearDownClass(cls):
        lidshaper_live.unregister()

    def setUp(self):
        bpy.ops.wm.read_factory_settings(use_empty=True)
        self.folder = self.enterContext(tempfile.TemporaryDirectory())
        # The face moved off the origin, as a head object usually is: the rig is built in world space.
        mesh = bpy.data.meshes.new("face")
        mesh.from_pydata(self.points.tolist(), [], [list(face) for face in self.faces])
        self.head = bpy.data.objects.new("face", mesh)
        self.head.location = (0.5, -2.0, 1.0)
        bpy.context.collection.objects.link(self.head)
        self.eyeballs = []
        for side, center in zip("LR", self.centers):
            bpy.ops.mesh.primitive_uv_sphere_add(radius=1.4, location=center + np.array(self.head.location))
            bpy.context.object.name = "eyeball_" + side
            self.eyeballs.append(bpy.context.object)

    def select_all(self):
        for obj in (self.head, *self.eyeballs):
            obj.select_set(True)
        bpy.context.view_layer.objects.active = self.head

    def rig_file(self):
        return os.path.join(self.folder, "face.rig.json")

    def test_rig_eyelids_sets_up_a_live_rig_that_blinks(self):
        self.select_all()
        self.assertEqual(bpy.ops.lidshaper.rig_eyelids(rig_path=self.rig_file()), {"FINISHED"})
        rig_object = bpy.context.view_layer.objects.active
        settings = rig_object.lidshaper
        self.assertEqual(settings.rig_path, self.rig_file())
        self.assertTrue(settings.live)
        self.assertEqual(len(settings.surfaces), 2)
        self.assertTrue(all(obj.hide_get() for obj in (self.head, *self.eyeballs)))

        rest = self.points + np.array(self.head.location)
        np.testing.assert_allclose(lidshaper.read_rig(self.rig_file()).points, rest, atol=1e-6)
        open_points = mesh_points(settings.mesh)
        setattr(settings.controls, L_EYE + "closeEye", 1.0)
        closed = mesh_points(settings.mesh)
        moved = np.flatnonzero(np.linalg.norm(closed - open_points, axis=1) > 1e-3)
        self.assertTrue(set(self.margins[L_EYE][:-2]) <= set(moved.tolist()))  # the corners may stay
        self.assertFalse(set(self.margins[R_EYE]) & set(moved.tolist()))
        self.assertGreater(bpy.context.scene.frame_end, bpy.context.scene.frame_start)

    def test_margins_selected_in_edit_mode_are_the_eyes_margins(self):
        self.select_all()
        bpy.ops.object.mode_set(mode="EDIT")
        edit = bmesh.from_edit_mesh(self.head.data)
        edit.verts.ensure_lookup_table()
        for element in (*edit.verts, *edit.edges, *edit.faces):
            element.select = False
        for margin in self.margins.values():
            members = set(margin)
            for edge in edit.edges:
                if all(vertex.index in members for vertex in edge.verts):
                    edge.select = True
        bmesh.update_edit_mesh(self.head.data)
        self.assertEqual(bpy.ops.lidshaper.rig_eyelids(rig_path=self.rig_file()), {"FINISHED"})
        self.assertEqual(self.head.mode, "OBJECT")
        rig = lidshaper.read_rig(self.rig_file())
        for eye in (L_EYE, R_EYE):
            found = {int(i) for lid in ("upper", "lower") for i in rig.attributes[eye + lid + "LidInnerIdxs"].values}
            self.assertLessEqual(found, set(self.margins[eye]))
            self.assertEqual(len(found), len(self.margins[eye]) - 2)

    def test_overlapping_eyeballs_are_refused_and_nothing_is_made(self):
        for eyeball in self.eyeballs:
            eyeball.scale = (2.5, 2.5, 2.5)
        self.select_all()
        objects = set(bpy.data.objects)
        with self.assertRaises(RuntimeError) as refused:
            bpy.ops.lidshaper.rig_eyelids(rig_path=self.rig_file())
        self.assertIn("build_rig: ", str(refused.exception))
        self.assertEqual(set(bpy.data.objects), objects)
        self.assertFalse(os.path.exists(self.rig_file()))
        self.assertFalse(self.head.hide_get())

    def test_found_in_the_object_menu_and_the_sidebar(self):
        self.select_all()
        self.assertTrue(bpy.types.LIDSHAPER_PT_rig_eyelids.poll(bpy.context))
        self.assertIn(lidshaper_live.rig_eyelids._menu_entry, bpy.types.VIEW3D_MT_object._dyn_ui_initialize())


sys.exit(0 if unittest.main(argv=[__file__], exit=False, verbosity=2).result.wasSuccessful() else 1)
