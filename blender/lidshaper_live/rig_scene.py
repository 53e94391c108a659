"""Set-up from a rig file: the mesh at its rest points, each surface (the eyeballs) as a mesh
placed by its world matrix, and the rig object holding the controls and the rig file's other
per-frame data. Control values become keyframes, eyeball placements that frames change become
keyframes of the eyeball objects, so the timeline plays every frame as `rghost deform` plays it.
"""
import os

import bpy
import lidshaper
import numpy as np

from . import controls, frame_data
from .space import Y_UP_TO_Z_UP, place

SURFACE_SAMPLES = (33, 64)  # display mesh of a surface: samples along u and along v


def set_up(context, rig_path):
    """Builds the rig of `rig_path` in the context's scene; returns the live rig object."""
    rig_path = os.path.abspath(rig_path)
    rig = lidshaper.read_rig(rig_path)
    control_types = controls.rig_controls(rig.attributes)
    keyed_frames, held = frame_data.split_frames(rig, control_types)
    keyed = [key for key in control_types if any(key in frame for frame in keyed_frames)]

    rig_object = bpy.data.objects.new(rig.node_name, None)
    context.collection.objects.link(rig_object)
    try:
        _build(rig_object, rig, rig_path, control_types, held)
    except ValueError:  # a placement Blender cannot hold: nothing of the rig stays
        for obj in [*rig_object.children, rig_object]:
            bpy.data.objects.remove(obj)
        raise
    settings = rig_object.lidshaper
    scene = context.scene
    current = scene.frame_current
    if rig.frames:
        values = [[frame.get(key, rig.attributes[key]).value for key in keyed] for frame in keyed_frames]
        _key_controls(rig_object, keyed, values, rig.start_frame)
        scene.frame_start = rig.start_frame
        scene.frame_end = rig.start_frame + len(rig.frames) - 1
        scene.frame_set(rig.start_frame)  # the node's cache starts from the first frame, as in rghost
    settings.live = True
    scene.frame_set(current)
    return rig_object


def _build(rig_object, rig, rig_path, control_types, held):
    """The rig object's transform, data, mesh, eyeballs and control values."""
    rig_object.matrix_world = Y_UP_TO_Z_UP
    settings = rig_object.lidshaper
    settings.frame_data = frame_data.to_text(held, rig.node_name)
    settings.rig_path = rig_path
    settings.mesh = _child(rig.node_name + " mesh", _mesh(rig.points, rig.faces, smooth=False), rig_object)
    place(settings.mesh, rig.matrix, "geometry.matrix")
    for key, value in rig.attributes.items():
        if isinstance(value, lidshaper.Surface):
            link = settings.surfaces.add()
            link.key = key
            title = controls.group_of(key)[0] or key
            link.object = _child(f"{rig.node_name} {title.lower()}", _surface_mesh(value), rig_object)
            _place_surface(link.object, key, value, held)
    for key in control_types:
        controls.set_value(settings.controls, key, rig.attributes[key].value)


def _child(name, data, parent):
    data.name = name
    obj = bpy.data.objects.new(name, data)
    parent.users_collection[0].objects.link(obj)
    obj.parent = parent
    return obj


def _place_surface(obj, key, surface, held):
    """Places the eyeball object; frames that move the surface key its placement."""
    place(obj, surface.world_matrix, key)
    moves = [(number, frame.get(key)) for number, frame in enumerate(held.overrides, held.start_frame)]
    if not any(isinstance(moved, lidshaper.Surface) for _, moved in moves):
        return
    for number, moved in moves:
        matrix = moved.world_matrix if isinstance(moved, lidshaper.Surface) else surface.world_matrix
        place(obj, matrix, f"frame {number}: {key}")
        for path in ("location", "rotation_euler", "scale"):
            obj.keyframe_insert(path, frame=number)
    _linear(obj.animation_data.action)
    place(obj, surface.world_matrix, key)


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


def _key_controls(rig_object, keys, values, start_frame):
    """`values[frame][i]` is the value of `keys[i]` at frame `start_frame + frame`."""
    numbers = np.arange(start_frame, start_frame + len(values), dtype=np.float64)
    action = bpy.data.actions.new(rig_object.name)
    rig_object.animation_data_create().action = action
    for i, key in enumerate(keys):
        samples = np.array([np.ravel(np.asarray(frame[i], dtype=np.float64)) for frame in values])
        for index in range(samples.shape[1]):
            curve = action.fcurves.new(controls.CURVE_PATH + key, index=index,
                                       action_group=controls.group_of(key)[0])
            curve.keyframe_points.add(len(numbers))
            curve.keyframe_points.foreach_set("co", np.column_stack([numbers, samples[:, index]]).ravel())
            curve.update()
    _linear(action)


def _linear(action):
    for curve in action.fcurves:
        for point in curve.keyframe_points:
            point.interpolation = "LINEAR"  # the frames are samples: no overshoot between them
