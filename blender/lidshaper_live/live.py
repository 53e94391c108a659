"""Live deformation: one node per rigged mesh, kept for the whole Blender session so its cache
carries from call to call as in any host, evaluated on frame changes, control edits and eyeball
moves. A failure is shown in the status bar, the rig's panel and the console, and leaves the
mesh at rest; nothing raises out of a handler.
"""
import functools
import sys

import bpy
import lidshaper
import numpy as np
from bpy.app.handlers import persistent

from . import controls, frame_data, rig_object
from .plugin import plugin
from .rig_object import rig_objects
from .space import rig_space_matrix


class LiveRig:
    """The node of one rig object and the rig-file data it is evaluated with."""

    def __init__(self, rig_path, frame_text):
        rig = lidshaper.read_rig(rig_path)
        self.rig_path = rig_path
        self.node = plugin().create(rig.node_name)
        self.base = dict(rig.attributes)
        self.control_types = controls.rig_controls(self.base)
        self.frames = frame_data.from_text(frame_text)
        self.rest = rig.points
        self.weights = rig.weights
        self.enabled = rig.enabled
        self.points = np.empty_like(self.rest)
        self.single = np.empty(self.rest.size, dtype=np.float32)
        self.placement = None
        self.last_frame = None

    def inputs(self, rig, scene_frame, control_values=None):
        """The attribute map of a scene frame: the rig file's data for that frame, the controls
        (as they stand, or `control_values`), and the surfaces placed by their objects."""
        settings = rig.lidshaper
        attributes = self.frames.attributes(self.base, scene_frame)
        for key, type_name in self.control_types.items():
            value = control_values[key] if control_values else controls.value(settings.controls, key)
            attributes[key] = lidshaper.Value(type_name, value)
        for link in settings.surfaces:
            surface = attributes.get(link.key)
            if link.object is not None and isinstance(surface, lidshaper.Surface):
                attributes[link.key] = surface.with_world_matrix(rig_space_matrix(rig, link.object))
        return attributes

    @staticmethod
    def placement_of(rig):
        """The world matrices that feed the node, to notice when an object moved."""
        settings = rig.lidshaper
        objects = [rig, settings.mesh] + [link.object for link in settings.surfaces]
        return [tuple(map(tuple, obj.matrix_world)) for obj in objects if obj is not None]

    def evaluate(self, rig, scene_frame):
        """Deforms the mesh; returns the node's error lines (the mesh is left at rest on failure)."""
        self.placement = self.placement_of(rig)
        mesh_object = rig.lidshaper.mesh
        mesh = mesh_object.data
        if len(mesh.vertices) != len(self.rest):
            raise ValueError(f"mesh {mesh.name!r} has {len(mesh.vertices)} vertices, "
                             f"the rig file {len(self.rest)}")
        played_on = self.last_frame is not None and scene_frame - self.last_frame in (0, 1)
        if self.frames.overrides and not played_on:
            self.replay_before(rig, scene_frame)
        self.last_frame = scene_frame
        result = self.node.deform(self.inputs(rig, scene_frame), self.rest, rig_space_matrix(rig, mesh_object),
                                  self.weights, self.enabled, out=self.points)
        self.write(mesh, result.points if result.status == 0 else self.rest)
        return list(result.errors)

    def replay_before(self, rig, scene_frame):
        """A fresh node plays the rig's frames before `scene_frame` in order, so that its cache holds
        what it holds when `rghost deform` reaches that frame: what the node caches depends on the
        frames before (inputs that change while the cache is on, the smallest between-row radius
        while it is off). Playing on from the last frame needs no replay."""
        self.node = plugin().create(self.node.name)
        matrix = rig_space_matrix(rig, rig.lidshaper.mesh)
        for frame in range(self.frames.start_frame, min(scene_frame, self.frames.end_frame + 1)):
            inputs = self.inputs(rig, frame, controls.keyed_values(rig, self.control_types, frame))
            self.node.deform(inputs, self.rest, matrix, self.weights, self.enabled, out=self.points)

    def write(self, mesh, points):
        self.single.reshape(points.shape)[...] = points
        mesh.vertices.foreach_set("co", self.single)
        mesh.update()


_sessions = {}  # rig object's address -> LiveRig
_messages = {}  # rig object's address -> the message shown for it


def session(rig):
    settings = rig.lidshaper
    path = bpy.path.abspath(settings.rig_path)
    current = _sessions.get(rig.as_pointer())
    if current is None or current.rig_path != path:
        _sessions.pop(rig.as_pointer(), None)
        current = _sessions[rig.as_pointer()] = LiveRig(path, settings.frame_data)
    return current


def existing_session(rig):
    """The rig object's session if it has one; never makes one."""
    return _sessions.get(rig.as_pointer())


def message(rig):
    """What the last evaluation of the rig object reported, or an empty string."""
    return _messages.get(rig.as_pointer(), "")


def _show(rig, lines):
    text = " | ".join(lines)
    if _messages.get(rig.as_pointer(), "") == text:
        return
    _messages[rig.as_pointer()] = text
    if text:
        print(f"lidShaper: {text}", file=sys.stderr)
    if bpy.context.workspace is not None:
        bpy.context.workspace.status_text_set(text or None)


def evaluate_safely(rig, scene_frame=None):
    """Evaluates a live rig object at a scene frame (the context scene's current frame by
    default), showing what went wrong instead of raising."""
    settings = rig.lidshaper
    if not settings.live or settings.mesh is None:
        return
    if scene_frame is None:
        scene_frame = bpy.context.scene.frame_current
    try:
        lines = session(rig).evaluate(rig, scene_frame)
    except Exception as error:  # shown like the node's own failures
        lines = [f"{rig.name}: {error}"]
        _rest_safely(rig)
    _show(rig, lines)


def _rest_safely(rig):
    live_rig = _sessions.get(rig.as_pointer())
    mesh = rig.lidshaper.mesh
    if live_rig is not None and mesh is not None and len(mesh.data.vertices) == len(live_rig.rest):
        live_rig.write(mesh.data, live_rig.rest)


def live_switched(rig):
    if rig.lidshaper.live:
        evaluate_safely(rig)
    else:
        _rest_safely(rig)
        _show(rig, [])


def _evaluate_all():
    for scene in bpy.data.scenes:
        for rig in rig_objects(scene):
            evaluate_safely(rig, scene.frame_current)


def _handler(function):
    """A handler that stays registered across file loads and never raises into Blender."""
    @functools.wraps(function)
    def guarded(*args):
        try:
            function(*args)
        except Exception as error:  # e.g. an object removed while Blender was updating
            print(f"lidShaper: {error}", file=sys.stderr)
    return persistent(guarded)


@_handler
def _on_frame_change(scene, _depsgraph=None):
    for rig in rig_objects(scene):
        evaluate_safely(rig, scene.frame_current)


@_handler
def _on_depsgraph_update(scene, _depsgraph=None):
    # Every edit in Blender comes through here, so only rigs whose mesh or eyeballs moved
    # since their last evaluation are evaluated again.
    for rig in rig_objects(scene):
        live_rig = _sessions.get(rig.as_pointer())
        if live_rig is not None and live_rig.placement != live_rig.placement_of(rig):
            evaluate_safely(rig, scene.frame_current)


@_handler
def _on_load(*_):
    _sessions.clear()
    _messages.clear()
    _evaluate_all()


@_handler
def _on_undo(*_):
    # Undo brings back stored mesh points and control values: evaluate again; nodes of rig
    # objects that no longer exist go.
    alive = {obj.as_pointer() for scene in bpy.data.scenes for obj in rig_objects(scene)}
    for address in set(_sessions) - alive:
        del _sessions[address]
    _evaluate_all()


_handlers = (
    (bpy.app.handlers.frame_change_post, _on_frame_change),
    (bpy.app.handlers.depsgraph_update_post, _on_depsgraph_update),
    (bpy.app.handlers.load_post, _on_load),
    (bpy.app.handlers.undo_post, _on_undo),
    (bpy.app.handlers.redo_post, _on_undo),
)


def register():
    rig_object.register(on_change=evaluate_safely, on_live_switched=live_switched)
    for handlers, handler in _handlers:
        handlers.append(handler)


def unregister():
    for handlers, handler in _handlers:
        handlers.remove(handler)
    rig_object.unregister()
    _sessions.clear()
    _messages.clear()
