"""The Blender add-on in background mode: set-up, live deformation against `rghost deform`,
failures, memory, export and bake.

Runs inside Blender: blender -b --factory-startup --python addon_test.py
(with the build's lidshaper module on PYTHONPATH and LIDSHAPER_RGHOST naming rghost)
"""
import os

import bmesh
import bpy
import lidshaper
import numpy as np
from support import (SAMPLE_RIG, AddonTestCase, assert_points_close, mesh_points, rghost_points, run,
                     write_rig)

import lidshaper_live
from lidshaper_live.space import rig_space_matrix

CLOSE_LEFT = "lidShaper__eyes__L_eye__closeEye"


class AddonTest(AddonTestCase):
    def test_set_up_builds_mesh_eyeballs_controls_and_keys(self):
        rig = lidshaper.read_rig(SAMPLE_RIG)
        rig_object = lidshaper_live.set_up(bpy.context, SAMPLE_RIG)
        settings = rig_object.lidshaper
        mesh = settings.mesh.data
        self.assertEqual((len(mesh.vertices), len(mesh.polygons)), (len(rig.points), len(rig.faces)))
        self.assertEqual(sorted(link.key for link in settings.surfaces),
                         sorted(k for k, v in rig.attributes.items() if isinstance(v, lidshaper.Surface)))
        for link in settings.surfaces:
            np.testing.assert_allclose(rig_space_matrix(rig_object, link.object),
                                       rig.attributes[link.key].world_matrix, atol=1e-6)
            self.assertGreater(len(link.object.data.polygons), 0)
        reference = {a.key: a for a in lidshaper.load_plugin().schema()}
        properties = settings.controls.bl_rna.properties
        self.assertTrue(properties[CLOSE_LEFT].description.startswith(reference[CLOSE_LEFT].description))
        self.assertIn("ENVELOPE", properties)
        self.assertNotIn("lidShaper__eyes__L_eye__upperLidInnerIdxs", properties)
        fcurve = rig_object.animation_data.action.fcurves.find(f"lidshaper.controls.{CLOSE_LEFT}")
        self.assertEqual(len(fcurve.keyframe_points), rig.frame_count)
        self.assertEqual((bpy.context.scene.frame_start, bpy.context.scene.frame_end),
                         (rig.start_frame, rig.start_frame + rig.frame_count - 1))

    def test_keyed_frames_and_edits_deform_as_rghost_and_the_node(self):
        expected = rghost_points(SAMPLE_RIG, self.folder)
        rig_object = lidshaper_live.set_up(bpy.context, SAMPLE_RIG)
        for frame in (12, 0, 20, 47, 30):  # out of order: scrubbing, not playing
            bpy.context.scene.frame_set(frame)
            assert_points_close(mesh_points(rig_object), expected[frame])

        # A control edit and an eyeball move each deform at once, as the node does with those inputs.
        settings = rig_object.lidshaper
        live_rig = lidshaper_live.live.session(rig_object)
        node = lidshaper.load_plugin().create("check")
        for edit in (lambda: setattr(settings.controls, CLOSE_LEFT, 0.8),
                     lambda: (settings.surfaces[0].object.rotation_euler.__setitem__(0, 0.3),
                              bpy.context.view_layer.update())):
            before = mesh_points(rig_object)
            edit()
            after = mesh_points(rig_object)
            self.assertGreater(np.abs(after - before).max(), 1e-3)
            direct = node.deform(live_rig.inputs(rig_object, 30), live_rig.rest,
                                 rig_space_matrix(rig_object, settings.mesh), live_rig.weights).points
            assert_points_close(after, direct)
        self.assertEqual(lidshaper_live.live.message(rig_object), "")

    def test_broken_rig_reports_and_leaves_rest_points(self):
        rig = lidshaper.read_rig(SAMPLE_RIG)
        missing = dict(rig.attributes)
        del missing["lidShaper__eyes__R_eye__cornersIdxs"]
        bad_index = dict(rig.attributes)
        bad_index["lidShaper__eyes__L_eye__upperLidInnerIdxs"] = np.full(
            len(rig.attributes["lidShaper__eyes__L_eye__upperLidInnerIdxs"].values), len(rig.points) + 7, dtype=np.int32)
        for attributes, named in ((missing, "cornersIdxs"), (bad_index, str(len(rig.points) + 7))):
            rig.attributes = attributes
            rig_object = lidshaper_live.set_up(bpy.context, write_rig(rig, self.folder, f"{named}.json"))
            bpy.context.scene.frame_set(5)
            self.assertIn(named, lidshaper_live.live.message(rig_object))
            np.testing.assert_array_equal(mesh_points(rig_object), rig.points.astype(np.float32))

    def test_operators_that_fail_cancel_with_one_line_naming_the_file(self):
        rig_object = lidshaper_live.set_up(bpy.context, SAMPLE_RIG)
        bpy.context.view_layer.objects.active = rig_object
        missing = os.path.join(self.folder, "missing.json")
        unwritable = os.path.join(self.folder, "no such folder", "rig")
        objects = set(bpy.data.objects)
        for operator, path in ((bpy.ops.lidshaper.import_rig, missing),
                               (bpy.ops.lidshaper.export_rig, unwritable + ".json"),
                               (bpy.ops.lidshaper.bake, unwritable + ".pc2")):
            with self.subTest(operator=operator.idname()), self.assertRaises(RuntimeError) as failed:
                operator(filepath=path)
            self.assertIn(os.path.basename(path), str(failed.exception))
            self.assertEqual(len(str(failed.exception).strip().splitlines()), 1)
        self.assertEqual(set(bpy.data.objects), objects)

    def test_live_switched_by_hand_rests_and_deforms_again(self):
        expected = rghost_points(SAMPLE_RIG, self.folder)
        rig_object = lidshaper_live.set_up(bpy.context, SAMPLE_RIG)
        settings = rig_object.lidshaper
        rest = lidshaper.read_rig(SAMPLE_RIG).points
        scene = bpy.context.scene
        scene.frame_set(8)
        settings.live = False
        assert_points_close(mesh_points(rig_object), rest)
        scene.frame_set(9)  # frames and edits leave a mesh that is not live alone
        setattr(settings.controls, CLOSE_LEFT, 0.7)
        assert_points_close(mesh_points(rig_object), rest)
        setattr(settings.controls, CLOSE_LEFT, 0.0)
        scene.frame_set(8)
        settings.live = True
        assert_points_close(mesh_points(rig_object), expected[8])

    def test_mesh_that_lost_vertices_and_other_rig_files_are_named(self):
        expected = rghost_points(SAMPLE_RIG, self.folder)
        rig = lidshaper.read_rig(SAMPLE_RIG)
        rig_object = lidshaper_live.set_up(bpy.context, SAMPLE_RIG)
        settings = rig_object.lidshaper
        scene = bpy.context.scene

        # Another rig file of the same mesh (a higher upper lid profile): the next evaluation takes
        # its build; a missing one is named, and the first one plays as before.
        other = dict(rig.attributes)
        curve = other["lidShaper__eyes__L_eye__upperLidMinorCurve"]
        other["lidShaper__eyes__L_eye__upperLidMinorCurve"] = lidshaper.Curve(np.asarray(curve.cvs) * [1, 1.5, 1],
                                                                              curve.knots, curve.degree)
        rig.attributes = other
        other_path = write_rig(rig, self.folder, "other.json")
        other_expected = rghost_points(other_path, self.folder)
        self.assertGreater(np.abs(other_expected[8] - expected[8]).max(), 1e-2)
        for path, points in ((other_path, other_expected[8]), (os.path.join(self.folder, "missing.json"), None),
                             (SAMPLE_RIG, expected[8])):
            settings.rig_path = path
            scene.frame_set(8)
            if points is None:
                self.assertIn("missing.json", lidshaper_live.live.message(rig_object))
            else:
                assert_points_close(mesh_points(rig_object), points)
                self.assertEqual(lidshaper_live.live.message(rig_object), "")

        # A mesh edited to fewer vertices: named with both counts, and left as it is.
        mesh = settings.mesh.data
        bm = bmesh.new()
        bm.from_mesh(mesh)
        bm.verts.ensure_lookup_table()
        bmesh.ops.delete(bm, geom=[bm.verts[0]], context="VERTS")
        bm.to_mesh(mesh)
        bm.free()
        scene.frame_set(9)
        self.assertIn(f"{len(rig.points) - 1} vertices, the rig file {len(rig.points)}",
                      lidshaper_live.live.message(rig_object))

    def test_file_load_evaluates_at_the_saved_frame(self):
        expected = rghost_points(SAMPLE_RIG, self.folder)
        name = lidshaper_live.set_up(bpy.context, SAMPLE_RIG).name
        scene = bpy.context.scene
        scene.frame_set(0)
        scene.frame_current = 8  # saved at frame 8 with the mesh still open as at frame 0
        blend = os.path.join(self.folder, "shot.blend")
        bpy.ops.wm.save_as_mainfile(filepath=blend)
        bpy.ops.wm.open_mainfile(filepath=blend)
        rig_object = bpy.data.objects[name]
        assert_points_close(mesh_points(rig_object), expected[8])

    def test_frame_changes_keep_memory_flat(self):
        rig_object = lidshaper_live.set_up(bpy.context, write_rig(lidshaper.sample_rig(columns=96), self.folder))
        scene = bpy.context.scene

        def resident_bytes():
            with open("/proc/self/statm") as statm:
                return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")

        for frame in range(20):
            scene.frame_set(frame % 48)
        before = resident_bytes()
        for frame in range(100):
            scene.frame_set(frame % 48)
        # A leak of one point array per frame would add 100 * 6000 points * 24 bytes.
        self.assertLess(resident_bytes() - before, 4 << 20)
        self.assertEqual(lidshaper_live.live.message(rig_object), "")

    def test_export_plays_back_in_rghost_and_bake_plays_without_the_node(self):
        rig_object = lidshaper_live.set_up(bpy.context, SAMPLE_RIG)
        scene = bpy.context.scene
        scene.frame_start, scene.frame_end = 2, 9
        eye = rig_object.lidshaper.surfaces[0].object
        eye.keyframe_insert("rotation_euler", index=2, frame=0)
        eye.rotation_euler[2] = 0.2
        eye.keyframe_insert("rotation_euler", index=2, frame=9)
        shown = {}
        for frame in range(2, 10):
            scene.frame_set(frame)
            shown[frame] = mesh_points(rig_object)

        exported = os.path.join(self.folder, "exported.json")
        lidshaper_live.export_rig(scene, rig_object, exported)
        played = rghost_points(exported, self.folder)
        self.assertEqual(sorted(played), list(range(2, 10)))
        for frame, points in shown.items():
            assert_points_close(points, played[frame])

        lidshaper_live.bake(scene, rig_object, os.path.join(self.folder, "bake.pc2"))
        self.assertFalse(rig_object.lidshaper.live)
        for frame in (3, 9):
            scene.frame_set(frame)
            assert_points_close(mesh_points(rig_object), shown[frame])


run()
