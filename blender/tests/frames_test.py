"""Every frame of a rig file plays in Blender as `rghost deform` plays it: seeded rigs whose frames
change keys of every kind, set up upright in Blender (and with the rig object turned), played
frame by frame, exported and played again; frames that keyframes cannot hold are refused.

Runs inside Blender: blender -b --factory-startup --python frames_test.py
"""
import os

import bpy
import lidshaper
import numpy as np
from generated_rigs import generated_rig
from support import (SAMPLE_RIG, AddonTestCase, assert_points_close, mesh_points, rghost_points, run,
                     write_rig)

import lidshaper_live

SEEDS = range(30)


class FramesTest(AddonTestCase):
    def play(self, rig_object, frames):
        scene = bpy.context.scene
        shown = {}
        for frame in frames:
            scene.frame_set(frame)
            shown[frame] = mesh_points(rig_object)
        self.assertEqual(lidshaper_live.live.message(rig_object), "")
        return shown

    def test_generated_rigs_play_every_frame_as_rghost(self):
        for seed in SEEDS:
            with self.subTest(seed=seed):
                bpy.ops.wm.read_factory_settings(use_empty=True)
                rig = generated_rig(seed)
                path = write_rig(rig, self.folder, f"rig{seed}.json")
                expected = rghost_points(path, self.folder)
                rig_object = lidshaper_live.set_up(bpy.context, path)
                if seed % 2:  # the node sees the rig file's space wherever the rig object stands
                    rig_object.rotation_euler = (0.4, -1.1, 2.0)
                    rig_object.location = (3.0, -2.0, 5.0)
                    rig_object.scale = (2.0, 2.0, 2.0)
                    bpy.context.view_layer.update()
                # Scrubbed backwards too: the node's cache then holds what rghost's holds at that frame.
                shown = self.play(rig_object, sorted(expected, reverse=seed % 3 == 0))
                for frame, points in expected.items():
                    assert_points_close(shown[frame], points, f"seed {seed} frame {frame}")
                if seed % 5 == 0:  # exported, the frames play to the same points again
                    exported = os.path.join(self.folder, f"exported{seed}.json")
                    lidshaper_live.export_rig(bpy.context.scene, rig_object, exported, range(
                        rig.start_frame, rig.start_frame + rig.frame_count))
                    replayed = rghost_points(exported, self.folder)
                    for frame, points in replayed.items():
                        assert_points_close(shown[frame], points, f"exported seed {seed} frame {frame}")

    def test_rig_stands_upright_facing_minus_y(self):
        rig_object = lidshaper_live.set_up(bpy.context, SAMPLE_RIG)
        mesh = rig_object.lidshaper.mesh
        points = np.array([mesh.matrix_world @ vertex.co for vertex in mesh.data.vertices])
        eyes = np.array([link.object.matrix_world.translation for link in rig_object.lidshaper.surfaces])
        extent = points.max(axis=0) - points.min(axis=0)
        self.assertGreater(extent[2], extent[1])  # the face is taller (Z) than deep (Y)
        self.assertAlmostEqual(eyes[0, 2], eyes[1, 2], places=5)  # both eyes at one height
        self.assertAlmostEqual(eyes[0, 1], eyes[1, 1], places=5)  # and one depth
        self.assertLess(points[:, 1].min(), eyes[:, 1].min())  # the lids come forward (-Y) of the eyes

    def test_frames_keyframes_cannot_hold_are_refused_naming_frame_and_key(self):
        rig = lidshaper.sample_rig(columns=8, frames=1)
        close = "lidShaper__eyes__L_eye__closeEye"
        for change, words in ((None, "removes the control"), (lidshaper.Value("RgFloat", 0.5), "gives another class to the control")):
            rig.frames = [{}, {close: change}]
            rig.start_frame = 4
            with self.assertRaisesRegex(ValueError, f"frame 5 {words}.*{close}"):
                lidshaper_live.set_up(bpy.context, write_rig(rig, self.folder))
        sheared = np.identity(4)
        sheared[1, 0] = 0.5
        sphere = "lidShaper__eyes__R_eye__nurbsSphere"
        rig.frames = [{}, {}, {sphere: rig.attributes[sphere].with_world_matrix(sheared)}]
        with self.assertRaisesRegex(ValueError, f"frame 6: {sphere}: the matrix is sheared"):
            lidshaper_live.set_up(bpy.context, write_rig(rig, self.folder))
        self.assertEqual(len(bpy.context.scene.objects), 0)  # nothing of a refused rig stays

    def test_frame_data_is_saved_with_the_blend_file(self):
        rig = generated_rig(3)
        path = write_rig(rig, self.folder)
        expected = rghost_points(path, self.folder)
        lidshaper_live.set_up(bpy.context, path)
        blend = os.path.join(self.folder, "shot.blend")
        bpy.ops.wm.save_as_mainfile(filepath=blend)
        os.remove(path)
        rig.frames = []
        write_rig(rig, self.folder)  # the rig file no longer holds the frames: the .blend does
        bpy.ops.wm.open_mainfile(filepath=blend)
        rig_object = bpy.data.objects[rig.node_name]
        shown = self.play(rig_object, sorted(expected))
        for frame, points in expected.items():
            assert_points_close(shown[frame], points, f"frame {frame}")


run()
