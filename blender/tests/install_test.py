"""The add-on zip installed into an empty Blender user folder as a user installs it: it carries
every module of the add-on; enabled, it sets up and deforms the sample rig, rigs a head's eyelids
and draws the overlay with the module and plug-in it carries; disabled and removed, it leaves
nothing behind.

Runs in a Blender window (on a virtual display) with BLENDER_USER_SCRIPTS naming a folder of its own:
    xvfb-run -a blender --factory-startup --python install_test.py -- ADDON.zip
"""
import os
import shutil
import sys
import tempfile
import unittest
import zipfile

import bpy
from support import (ROOT, SAMPLE_RIG, add_sample_head, assert_points_close, mesh_points, redraw,
                     rghost_points, run_in_window, view3d_context)

ADDON_ZIP = sys.argv[sys.argv.index("--") + 1]
USER_SCRIPTS = os.environ["BLENDER_USER_SCRIPTS"]


class InstallTest(unittest.TestCase):
    def test_install_enable_set_up_deform_disable_remove(self):
        with zipfile.ZipFile(ADDON_ZIP) as addon_zip:
            packed = set(addon_zip.namelist())
        checkout = os.path.join(ROOT, "blender", "lidshaper_live")
        for module in sorted(os.listdir(checkout)):
            if module.endswith(".py"):
                self.assertIn("lidshaper_live/" + module, packed)

        shutil.rmtree(USER_SCRIPTS, ignore_errors=True)
        os.makedirs(USER_SCRIPTS)
        addons = bpy.utils.user_resource("SCRIPTS", path="addons")
        self.assertTrue(addons.startswith(USER_SCRIPTS))

        bpy.ops.preferences.addon_install(filepath=ADDON_ZIP)
        bpy.ops.preferences.addon_enable(module="lidshaper_live")
        import lidshaper
        import lidshaper_live
        for module in (lidshaper_live, lidshaper, sys.modules["_lidshaper"]):  # the add-on's own copies
            self.assertTrue(os.path.realpath(module.__file__).startswith(os.path.realpath(addons)), module.__file__)

        with tempfile.TemporaryDirectory() as folder:
            expected = rghost_points(SAMPLE_RIG, folder)
        rig_object = lidshaper_live.set_up(bpy.context, SAMPLE_RIG)
        bpy.context.scene.frame_set(20)
        assert_points_close(mesh_points(rig_object), expected[20])
        self.assertEqual(lidshaper_live.live.message(rig_object), "")
        with open("/proc/self/maps") as maps:
            loaded = {line.split()[-1] for line in maps if line.rstrip().endswith(".so")}
        for library in ("lidShaper_2018.so", "libOpenMaya.so"):
            self.assertIn(os.path.join(os.path.realpath(addons), "lidshaper_live", "lib", library), loaded)

        # Rig Eyelids and the overlay of the installed copy, on its own native module.
        from lidshaper_live import overlay
        self.assertTrue(os.path.realpath(overlay.__file__).startswith(os.path.realpath(addons)))
        _, head, eyeballs = add_sample_head(location=(20.0, 0.0, 0.0))
        for obj in (*eyeballs, head):
            obj.select_set(True)
        bpy.context.view_layer.objects.active = head
        with tempfile.TemporaryDirectory() as folder, bpy.context.temp_override(**view3d_context()):
            rig_path = os.path.join(folder, "face.rig.json")
            self.assertEqual(bpy.ops.lidshaper.rig_eyelids("INVOKE_DEFAULT", rig_path=rig_path), {"FINISHED"})
            built = bpy.context.view_layer.objects.active
            self.assertEqual(lidshaper_live.live.message(built), "")
            setattr(built.lidshaper.controls, "lidShaper__eyes__L_eye__closeEye", 1.0)
            self.assertEqual(lidshaper_live.live.message(built), "")
        bpy.context.scene.lidshaper_overlay.show = True
        redraw()
        self.assertEqual(overlay.draw_errors, [])
        self.assertEqual(len(overlay.shown_marks(bpy.context)), 2 * len(overlay.CATEGORIES))

        bpy.ops.preferences.addon_disable(module="lidshaper_live")
        self.assertFalse(hasattr(bpy.types.Object, "lidshaper"))
        self.assertFalse(hasattr(bpy.types, "LIDSHAPER_PT_rig"))
        handlers = bpy.app.handlers
        self.assertEqual([h for h in handlers.frame_change_post + handlers.depsgraph_update_post
                          + handlers.load_post + handlers.undo_post if h.__module__.startswith("lidshaper_live")],
                         [])
        with bpy.context.temp_override(**view3d_context()):  # removing redraws the area it ran from
            bpy.ops.preferences.addon_remove(module="lidshaper_live")
        self.assertFalse(os.path.exists(os.path.join(addons, "lidshaper_live")))


run_in_window()
