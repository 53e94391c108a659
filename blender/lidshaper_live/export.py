"""Back to rig files: the scene's controls and eyeball placement as a rig file that `rghost
deform` plays to the points Blender shows, and bakes of it to a point cache.
"""
import concurrent.futures
import os
import shutil
import tempfile

import bpy
import lidshaper
import numpy as np

from . import live
from .rig_object import row_major


def export_rig(scene, rig_object, path):
    """Writes the rig with one frame per scene frame: the base attributes hold the first frame's
    values, each frame the values of the inputs that change over the range."""
    live_rig = live.session(rig_object)
    samples = _sample_frames(scene, rig_object, live_rig)
    first = samples[0]
    changing = [key for key in first if any(not _same(sample[key], first[key]) for sample in samples)]
    rig = lidshaper.read_rig(live_rig.rig_path)
    rig.attributes = {**rig.attributes, **first}
    rig.frames = [{key: sample[key] for key in changing} for sample in samples]
    rig.start_frame = scene.frame_start
    rig.matrix = row_major(rig_object.lidshaper.mesh.matrix_world)
    rig.write(path)


def _sample_frames(scene, rig_object, live_rig):
    current = scene.frame_current
    samples = []
    for frame in range(scene.frame_start, scene.frame_end + 1):
        scene.frame_set(frame)
        samples.append(live_rig.inputs(rig_object.lidshaper))
    scene.frame_set(current)
    return samples


def _same(a, b):
    if isinstance(a, lidshaper.Surface):
        return np.array_equal(a.world_matrix, b.world_matrix)
    return np.array_equal(a.value, b.value)


def bake(scene, rig_object, path):
    """Bakes the scene's frame range to the point cache `path` and plays the mesh from it
    (a Mesh Cache modifier), with live deformation off."""
    settings = rig_object.lidshaper
    with tempfile.TemporaryDirectory() as folder:
        rig_path = os.path.join(folder, "bake.json")
        export_rig(scene, rig_object, rig_path)
        # In Blender's own process: its Python cannot start the worker processes of the default pool.
        with concurrent.futures.ThreadPoolExecutor(1) as executor:
            lidshaper.bake([rig_path], folder, executor=executor, point_cache=True)
        shutil.move(os.path.join(folder, "bake.pc2"), path)
    settings.live = False
    cache = settings.mesh.modifiers.get("lidShaper bake") or settings.mesh.modifiers.new("lidShaper bake", "MESH_CACHE")
    cache.cache_format = "PC2"
    cache.filepath = path
    cache.frame_start = scene.frame_start  # Blender plays a cache's first sample at this frame
