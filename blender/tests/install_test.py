"""The add-on zip installed into an empty Blender user folder as a user installs it: enabled, it
sets up and deforms the sample rig with the module and plug-in it carries; disabled and removed,
it leaves nothing behind.

Runs in a Blender window (on a virtual display) with BLENDER_USER_SCRIPTS naming a folder of its own:
    xvfb-run -a blender --factory-startup --python install_test.py -- ADDON.zip
"""
import os
import shutil
import sys
import tempfile
import unittest

import bpy
from support import SAMPLE_RIG, assert_points_close, mesh_points, rghost_points, run_in_window, view3d_context

ADDON_ZIP = sys.argv[sys.argv.index("--") + 1]
USER_SCRIPTS = os.environ["BLENDER_USER_SCRIPTS"]


class InstallTest(unittest.TestCase):
    def test_install_enable_set_up_deform_disable_remove(self):
        shutil.rmtree(USER_SCRIPTS, ignore_errors=True)
        os.makedirs(USER_SCRIPTS)
        addons = bpy.utils.user_resource("SCRIPTS", path="addons")
        self.assertTrue(addons.startswith(USER_SCRIPTS))

        bpy.ops.preferences.addon_install(filepath=ADDON_ZIP)
        bpy.ops.preferences.addon_enable(module="lidshaper_live")
        import lidshaper
        import lidshaper_live
        for module in (lidshaper_live, lidshaper):  # the add-on's own copies, not a checkout's
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
