"""Set-up from a rig file: the mesh at its rest points, each surface (the eyeballs) as a mesh
placed by its world matrix, and the rig object holding the controls, whose frame values become
keyframes so that the timeline plays the rig's frames.
"""
import os

import bpy
import lidshaper
import numpy as np

from . import controls
from .rig_object import blender_matrix

SURFACE_SAMPLES = (33, 64)  # display mesh of a surface: samples along u and along v


def set_up(context, rig_path):
    """Builds the rig of `rig_path` in the context's scene; returns the live rig object."""
    rig_path = os.path.abspath(rig_path)
    rig = lidshaper.read_rig(rig_path)
    control_keys = list(controls.rig_controls(rig.attributes))
    keyed = [key for key in control_keys if any(key in frame for frame in rig.frames)]
    frames = [rig.frame_attributes(i) for i in range(rig.frame_count)] if keyed else []
    for number, attributes in enumerate(frames, rig.start_frame):
        removed = [key for key in keyed if key not in attributes]
        if removed:
            raise ValueError(f"frame {number} removes {', '.join(removed)}: keyframes hold values only")

    collection = context.collection
    rig_object = bpy.data.objects.new(rig.node_name, None)
    collection.objects.link(rig_object)
    settings = rig_object.lidshaper
    settings.rig_path = rig_path
    settings.mesh = _child(rig.node_name + " mesh", _mesh(rig.points, rig.faces, smooth=False), rig_object,
                           rig.matrix)
    for key, value in rig.attributes.items():
        if isinstance(value, lidshaper.Surface):
            link = settings.surfaces.add()
            link.key = key
            link.object = _child(f"{rig.node_name} {controls.group_of(key)[0].lower()}",
                                 _surface_mesh(value), rig_object, value.world_matrix)
    for key in control_keys:
        controls.set_value(settings.controls, key, rig.attributes[key].value)
    if frames:
        _key_frames(rig_object, keyed, frames, rig.start_frame)
        context.scene.frame_start = rig.start_frame
        context.scene.frame_end = rig.start_frame + len(frames) - 1
    settings.live = True
    context.scene.frame_set(context.scene.frame_current)  # the keyed values of the current frame
    return rig_object


def _child(name, data, parent, matrix_rows):
    data.name = name
    obj = bpy.data.objects.new(name, data)
    parent.users_collection[0].objects.link(obj)
    obj.parent = parent
    obj.matrix_world = blender_matrix(matrix_rows)
    return obj


def _mesh(points, faces, smooth):
    """Smooth shading costs the deformed mesh time on every edit, so only the eyeballs get it."""
    mesh = bpy.data.meshes.new("mesh")
    mesh.from_pydata(np.asarray(points).tolist(), [], [list(face) for face in faces])
    mesh.polygons.foreach_set("use_smooth", np.full(len(mesh.polygons), smooth))
    mesh.update()
    return mesh


def _surface_mesh(surface):
    """A quad grid over the surface's valid parameter range, in the surface's own space."""
    u, u_wraps = _parameters(surface.knots_u, surface.degree_u, surface.cv_count_u, surface.form_u,
                             SURFACE_SAMPLES[0])
    v, v_wraps = _parameters(surface.knots_v, surface.degree_v, surface.cv_count_v, surface.form_v,
                             SURFACE_SAMPLES[1])
    grid_u, grid_v = np.meshgrid(u, v, indexing="ij")
    local = surface.with_world_matrix(np.identity(4))
    points = np.asarray(local.evaluate(grid_u.ravel(), grid_v.ravel())).reshape(-1, 3)
    return _mesh(points, _grid_faces(len(u), len(v), u_wraps, v_wraps), smooth=True)


def _parameters(knots, degree, cv_count, form, samples):
    """Samples of one direction's valid range; a periodic direction does not repeat its start."""
    periodic = form == "periodic"
    return np.linspace(knots[degree], knots[cv_count], samples, endpoint=not periodic), periodic


def _grid_faces(rows, columns, rows_wrap, columns_wrap):
    index = np.arange(rows * columns).reshape(rows, columns)
    if rows_wrap:
        index = np.vstack([index, index[:1]])
    if columns_wrap:
        index = np.hstack([index, index[:, :1]])
    quads = np.stack([index[:-1, :-1], index[1:, :-1], index[1:, 1:], index[:-1, 1:]], axis=-1)
    return quads.reshape(-1, 4).tolist()


def _key_frames(rig_object, keys, frames, start_frame):
    numbers = np.arange(start_frame, start_frame + len(frames), dtype=np.float64)
    action = bpy.data.actions.new(rig_object.name)
    rig_object.animation_data_create().action = action
    for key in keys:
        values = np.array([np.ravel(np.asarray(frame[key].value, dtype=np.float64)) for frame in frames])
        for index in range(values.shape[1]):
            curve = action.fcurves.new(f"lidshaper.controls.{key}", index=index,
                                       action_group=controls.group_of(key)[0])
            curve.keyframe_points.add(len(numbers))
            curve.keyframe_points.foreach_set("co", np.column_stack([numbers, values[:, index]]).ravel())
            for point in curve.keyframe_points:
                point.interpolation = "LINEAR"  # the frames are samples: no overshoot between them
            curve.update()
