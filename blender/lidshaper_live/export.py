"""Back to rig files: the scene's controls, eyeball placement and the rig file's per-frame data as a
rig file that `rghost deform` plays to the points Blender shows, and bakes of it to a point cache.
"""
import concurrent.futures
import os
import shutil
import tempfile

import lidshaper
import numpy as np

from . import live
from .space import rig_space_matrix


def export_rig(scene, rig_object, path, frames=None):
    """Writes the rig with one frame per scene frame of `frames` (a range; the scene's frame range
    by default, which Blender keeps from 0 on): the base attributes hold the first frame's map,
    each frame what differs from it (None where the frame has no such key)."""
    live_rig = live.session(rig_object)
    frames = frames or range(scene.frame_start, scene.frame_end + 1)
    samples = _sample_frames(scene, rig_object, live_rig, frames)
    first = samples[0]
    rig = lidshaper.read_rig(live_rig.rig_path)
    rig.attributes = first
    rig.frames = [_changes(first, sample) for sample in samples]
    rig.start_frame = frames.start
    rig.matrix = rig_space_matrix(rig_object, rig_object.lidshaper.mesh)
    rig.write(path)


def _sample_frames(scene, rig_object, live_rig, frames):
    current = scene.frame_current
    samples = []
    for frame in frames:
        scene.frame_set(frame)
        samples.append(live_rig.inputs(rig_object, frame))
    scene.frame_set(current)
    return samples


def _changes(first, sample):
    changes = {key: value for key, value in sample.items() if key not in first or not _same(value, first[key])}
    changes.update({key: None for key in first if key not in sample})
    return changes


def _same(a, b):
    if a is b:
        return True
    if type(a) is not type(b) or a is None:
        return False
    if isinstance(a, lidshaper.Surface):
        return all(np.array_equal(getattr(a, name), getattr(b, name)) for name in (
            "world_matrix", "cvs", "knots_u", "knots_v", "degree_u", "degree_v", "cv_count_u", "cv_count_v",
            "form_u", "form_v"))
    if isinstance(a, lidshaper.Curve):
        return all(np.array_equal(getattr(a, name), getattr(b, name)) for name in ("cvs", "knots", "degree"))
    return a.type_name == b.type_name and np.array_equal(a.value, b.value) and np.array_equal(a.values, b.values)


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
