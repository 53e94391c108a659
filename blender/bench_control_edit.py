"""Time from a control edit to the updated mesh in Blender, beside the node's own deform call on
the same inputs, for the sample rig at 384 (or --columns) columns per lid; and the time of a frame
change, played on and jumped to, on that rig (keyed controls only) and on the same rig with
per-frame data (move vectors that change on every frame):

    blender -b --factory-startup --python blender/bench_control_edit.py -- [--columns N] [--edits N]
"""
import argparse
import os
import statistics
import sys
import tempfile
import time

import bpy

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "blender"))
import lidshaper_live  # noqa: E402
import lidshaper  # noqa: E402

CLOSE_LEFT = "lidShaper__eyes__L_eye__closeEye"


def milliseconds(action, edits):
    """Median time of `action(i)` over `edits` calls, after a few unmeasured ones."""
    times = []
    for i in range(edits + 5):
        start = time.perf_counter()
        action(i)
        times.append(time.perf_counter() - start)
    return 1000 * statistics.median(times[5:])


def main():
    parser = argparse.ArgumentParser(prog="bench_control_edit.py")
    parser.add_argument("--columns", type=int, default=384)
    parser.add_argument("--edits", type=int, default=100)
    args = parser.parse_args(sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else [])

    lidshaper_live.register()
    bpy.ops.wm.read_factory_settings(use_empty=True)
    with tempfile.TemporaryDirectory() as folder:
        rig_path = os.path.join(folder, "rig.json")
        lidshaper.sample_rig(columns=args.columns).write(rig_path)
        rig = lidshaper_live.set_up(bpy.context, rig_path)
    settings = rig.lidshaper
    live_rig = lidshaper_live.live.session(rig)
    matrix = lidshaper_live.space.rig_space_matrix(rig, settings.mesh)
    attributes = live_rig.inputs(rig, bpy.context.scene.frame_current)

    def closing(i):
        return 0.5 + 0.01 * (i % 10)

    def edit(i):
        setattr(settings.controls, CLOSE_LEFT, closing(i))

    def edit_and_evaluate(i):
        edit(i)
        bpy.context.view_layer.update()

    def deform(i):
        attributes[CLOSE_LEFT] = lidshaper.Value("RgDouble", closing(i))
        live_rig.node.deform(attributes, live_rig.rest, matrix, live_rig.weights, out=live_rig.points)

    node_ms = milliseconds(deform, args.edits)
    edit_ms = milliseconds(edit, args.edits)
    evaluated_ms = milliseconds(edit_and_evaluate, args.edits)
    print(f"sample rig, {args.columns} columns per lid, {len(live_rig.rest)} points; median of {args.edits}")
    print(f"  node deform call:                          {node_ms:8.3f} ms")
    print(f"  control edit -> mesh points written:       {edit_ms:8.3f} ms (add-on overhead "
          f"{edit_ms - node_ms:.3f} ms)")
    print(f"  control edit -> evaluated mesh (depsgraph): {evaluated_ms:8.3f} ms")

    for title, rig_file in (("keyed controls only", lidshaper.sample_rig(columns=args.columns)),
                            ("with per-frame move vectors", with_frame_data(args.columns))):
        played_ms, jump_ms = frame_change_milliseconds(rig_file, args.edits)
        print(f"  frame change, {title}: played on {played_ms:8.3f} ms, "
              f"jump over {rig_file.frame_count - 1} frames {jump_ms:8.3f} ms")


def with_frame_data(columns):
    """The sample rig whose frames also scale the left upper lid's move vectors."""
    rig = lidshaper.sample_rig(columns=columns)
    key = "lidShaper__eyes__L_eye__upperLidMoveVector"
    moves = rig.attributes[key]
    rig.frames = [{**frame, key: lidshaper.Value("RgVector", moves.value, moves.values * (1 + 0.01 * index))}
                  for index, frame in enumerate(rig.frames)]
    return rig


def frame_change_milliseconds(rig_file, changes):
    """Medians of a frame change to the next frame and of a jump from the first to the last frame."""
    bpy.ops.wm.read_factory_settings(use_empty=True)
    with tempfile.TemporaryDirectory() as folder:
        rig_path = os.path.join(folder, "rig.json")
        rig_file.write(rig_path)
        lidshaper_live.set_up(bpy.context, rig_path)
    scene = bpy.context.scene
    first, count = scene.frame_start, scene.frame_end - scene.frame_start + 1

    def play_on(i):
        scene.frame_set(first + i % count)

    def jump(i):
        scene.frame_set(first if i % 2 else scene.frame_end)

    return milliseconds(play_on, changes), milliseconds(jump, max(changes // 10, 4))


main()
