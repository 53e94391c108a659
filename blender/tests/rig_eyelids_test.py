"""Rig Eyelids in background mode: a head and its eyeball meshes, selected, become a live rig
that blinks; margins selected in edit mode are taken as given; a selection no rig can be built
from is refused and leaves the scene as it was.

Runs inside Blender: blender -b --factory-startup --python rig_eyelids_test.py
"""
import os

import bmesh
import bpy
import lidshaper
import numpy as np
from mathutils import Vector
from support import AddonTestCase, add_sample_head, mesh_points, run

import lidshaper_live

L_EYE = "lidShaper__eyes__L_eye__"
R_EYE = "lidShaper__eyes__R_eye__"
HEAD_LOCATION = (0.5, -2.0, 1.0)  # off the origin, as a head object usually is


class RigEyelidsTest(AddonTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        sample = lidshaper.sample_rig(frames=12)
        cls.points, cls.faces = sample.points, sample.faces
        centers = [np.array(sample.attributes[eye + "centerEye"].value) for eye in (L_EYE, R_EYE)]
        # Each eye's margin loop: both lids' margin rows and the corners between them.
        _, report = lidshaper.build_rig(cls.points, cls.faces, [(c, 1.4) for c in centers], report=True)
        cls.margins = {eye: [int(i) for lid in ("upper", "lower")
                             for i in sample.attributes[eye + lid + "LidInnerIdxs"].values]
                       + [found["inner_corner"], found["outer_corner"]]
                       for eye, found in zip((L_EYE, R_EYE), report)}

    def setUp(self):
        super().setUp()
        _, self.head, self.eyeballs = add_sample_head(HEAD_LOCATION)

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

        # The rig stands where the head stood: the rig file holds it in its own Y-up space.
        rest = self.points + np.array([HEAD_LOCATION[0], HEAD_LOCATION[2], -HEAD_LOCATION[1]])
        np.testing.assert_allclose(lidshaper.read_rig(self.rig_file()).points, rest, atol=1e-5)
        head_world = np.array([self.head.matrix_world @ v.co for v in self.head.data.vertices])
        rig_world = np.array([settings.mesh.matrix_world @ Vector(point) for point in rest])
        np.testing.assert_allclose(rig_world, head_world, atol=1e-5)
        open_points = mesh_points(rig_object)
        setattr(settings.controls, L_EYE + "closeEye", 1.0)
        closed = mesh_points(rig_object)
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


run()
