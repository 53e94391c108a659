"""Renders the sample rig's frames (open, blink, squint, look up, look down) with Workbench into
an animated GIF for the README:

    blender -b --factory-startup --python blender/render_clip.py -- [--rig RIG.json] [--out docs/blink.gif]
"""
import argparse
import math
import os
import sys
import tempfile

import bpy
from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "blender"))
import lidshaper_live  # noqa: E402


def main():
    parser = argparse.ArgumentParser(prog="render_clip.py")
    parser.add_argument("--rig", default=os.path.join(ROOT, "examples", "sample-eye-rig.json"))
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "blink.gif"))
    args = parser.parse_args(sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else [])

    lidshaper_live.register()
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    rig = lidshaper_live.set_up(bpy.context, args.rig)
    skin = rig.lidshaper.mesh
    skin.color = (0.93, 0.6, 0.48, 1.0)
    skin.data.polygons.foreach_set("use_smooth", [True] * len(skin.data.polygons))
    skin.data.use_auto_smooth = True  # folds stay sharp
    for link in rig.lidshaper.surfaces:
        link.object.color = (0.95, 0.95, 0.92, 1.0)

    camera = bpy.data.objects.new("camera", bpy.data.cameras.new("camera"))
    scene.collection.objects.link(camera)
    camera.location = (0.0, -30.0, 0.3)  # the face looks along -y, as set-up stands it up
    camera.rotation_euler = (math.pi / 2, 0.0, 0.0)
    camera.data.type = "ORTHO"
    camera.data.ortho_scale = 13.5
    scene.camera = camera

    scene.world = bpy.data.worlds.new("background")
    scene.world.color = (0.18, 0.2, 0.24)
    scene.render.engine = "BLENDER_WORKBENCH"
    scene.display.shading.light = "STUDIO"
    scene.display.shading.color_type = "OBJECT"
    scene.display.shading.show_cavity = True
    scene.render.resolution_x, scene.render.resolution_y = 432, 180
    scene.render.image_settings.file_format = "PNG"

    frames = []
    with tempfile.TemporaryDirectory() as folder:
        for frame in range(scene.frame_start, scene.frame_end + 1):
            scene.frame_set(frame)
            scene.render.filepath = os.path.join(folder, f"{frame:04d}.png")
            bpy.ops.render.render(write_still=True)
            with Image.open(scene.render.filepath) as image:
                frames.append(image.convert("RGB").quantize(colors=64))
    frames[0].save(args.out, save_all=True, append_images=frames[1:], duration=1000 // scene.render.fps,
                   loop=0, optimize=True)
    print(f"wrote {args.out}: {len(frames)} frames")


main()
