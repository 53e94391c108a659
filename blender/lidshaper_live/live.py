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

from . import controls
from .rig_object import rig_objects, row_major


class LiveRig:
    """The node of one rig object and the rig-file data it is evaluated with."""

    def __init__(self, rig_path):
        rig = lidshaper.read_rig(rig_path)
        self.rig_path = rig_path
        self.node = controls.plugin().create(rig.node_name)
        self.attributes = dict(rig.attributes)
        self.control_types = controls.rig_controls(self.attributes)
        self.rest = rig.points
        self.weights = rig.weights
        self.enabled = rig.enabled
        self.points = np.empty_like(self.rest)
        self.single = np.empty(self.rest.size, dtype=np.float32)
        self.placement = None

    def inputs(self, settings):
        """The attributes Blender drives: the controls, and the surfaces placed by their objects."""
        values = {key: lidshaper.Value(type_name, controls.value(settings.controls, key))
                  for key, type_name in self.control_types.items()}
        for link in settings.surfaces:
            if link.object is not None and link.key in self.attributes:
                values[link.key] = self.attributes[link.key].with_world_matrix(row_major(link.object.matrix_world))
        return values

    def placement_of(self, settings):
        """The world matrices that feed the node, to notice when an object moved."""
        objects = [settings.mesh] + [link.object for link in settings.surfaces]
        return [tuple(map(tuple, obj.matrix_world)) for obj in objects if obj is not None]

    def evaluate(self, settings):
        """Deforms the mesh; returns the node's error lines (the mesh is left at rest on failure)."""
        self.placement = self.placement_of(settings)
        mesh = settings.mesh.data
        if len(mesh.vertices) != len(self.rest):
            raise ValueError(f"mesh {mesh.name!r} has {len(mesh.vertices)} vertices, "
                             f"the rig file {len(self.rest)}")
        self.attributes.update(self.inputs(settings))
        result = self.node.deform(self.attributes, self.rest, row_major(settings.mesh.matrix_world),
                                  self.weights, self.enabled, out=self.points)
        self.write(mesh, result.points if result.status == 0 else self.rest)
        return list(result.errors)

    def write(self, mesh, points):
        self.single.reshape(points.shape)[...] = points
        mesh.vertices.foreach_set("co", self.single)
        mesh.update()


_sessions = {}  # rig object's address -> LiveRig
_messages = {}  # rig object's address -> the message shown for it


def session(rig_object):
    path = bpy.path.abspath(rig_object.lidshaper.rig_path)
    current = _sessions.get(rig_object.as_pointer())
    if current is None or current.rig_path != path:
        _sessions.pop(rig_object.as_pointer(), None)
        current = _sessions[rig_object.as_pointer()] = LiveRig(path)
    return current


def message(rig_object):
    """What the last evaluation of the rig object reported, or an empty string."""
    return _messages.get(rig_object.as_pointer(), "")


def _show(rig_object, lines):
    text = " | ".join(lines)
    if _messages.get(rig_object.as_pointer(), "") == text:
        return
    _messages[rig_object.as_pointer()] = text
    if text:
        print(f"lidShaper: {text}", file=sys.stderr)
    if bpy.context.workspace is not None:
        bpy.context.workspace.status_text_set(text or None)


def evaluate_safely(rig_object):
    """Evaluates a live rig object, showing what went wrong instead of raising."""
    settings = rig_object.lidshaper
    if not settings.live or settings.mesh is None:
        return
    try:
        lines = session(rig_object).evaluate(settings)
    except Exception as error:  # shown like the node's own failures
        lines = [f"{rig_object.name}: {error}"]
        _rest_safely(rig_object)
    _show(rig_object, lines)


def _rest_safely(rig_object):
    live_rig = _sessions.get(rig_object.as_pointer())
    mesh = rig_object.lidshaper.mesh
    if live_rig is not None and mesh is not None and len(mesh.data.vertices) == len(live_rig.rest):
        live_rig.write(mesh.data, live_rig.rest)


def live_switched(rig_object):
    if rig_object.lidshaper.live:
        evaluate_safely(rig_object)
    else:
        _rest_safely(rig_object)
        _show(rig_object, [])


def _evaluate_all():
    for scene in bpy.data.scenes:
        for rig_object in rig_objects(scene):
            evaluate_safely(rig_object)


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
    for rig_object in rig_objects(scene):
        evaluate_safely(rig_object)


@_handler
def _on_depsgraph_update(scene, _depsgraph=None):
    # Every edit in Blender comes through here, so only rigs whose mesh or eyeballs moved
    # since their last evaluation are evaluated again.
    for rig_object in rig_objects(scene):
        live_rig = _sessions.get(rig_object.as_pointer())
        if live_rig is not None and live_rig.placement != live_rig.placement_of(rig_object.lidshaper):
            evaluate_safely(rig_object)


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
    for handlers, handler in _handlers:
        handlers.append(handler)


def unregister():
    for handlers, handler in _handlers:
        handlers.remove(handler)
    _sessions.clear()
    _messages.clear()
