"""The overlay in the 3D viewport: what the node works with (each column's rows, the surface
parameters on the eyeball, the minor curves, the closing line, move vectors, corners and
soft-region links) drawn over every live rig, a switch per category in the sidebar.

Drawing never deforms: the marks are read from the rig's last evaluation (its inputs at the
current frame and the points the node gave) and kept until the mesh, the frame or the node's
message changes. With the overlay off the draw callbacks return at once.
"""
import blf
import bpy
import gpu
import lidshaper
import numpy as np
from bpy_extras.view3d_utils import location_3d_to_region_2d
from gpu_extras.batch import batch_for_shader

from . import live
from .rig_object import rig_objects
from .space import rig_space_matrix
from .ui import SidebarPanel

CATEGORIES = lidshaper.overlay_categories()  # (name, meaning, colour) in drawing order


def property_name(category):
    return category.replace("-", "_")


class LIDSHAPER_PG_overlay(bpy.types.PropertyGroup):
    __annotations__ = {
        "show": bpy.props.BoolProperty(name="Overlay", description="Draw what the node works with over live rigs",
                                       default=False),
        **{property_name(name): bpy.props.BoolProperty(name=name.replace("-", " ").capitalize(),
                                                       description=meaning, default=True)
           for name, meaning, _ in CATEGORIES},
    }


class LIDSHAPER_PT_overlay(SidebarPanel, bpy.types.Panel):
    bl_label = "lidShaper Overlay"

    def draw_header(self, context):
        self.layout.prop(context.scene.lidshaper_overlay, "show", text="")

    def draw(self, context):
        settings = context.scene.lidshaper_overlay
        column = self.layout.column(align=True)
        column.active = settings.show
        for name, _, _ in CATEGORIES:
            column.prop(settings, property_name(name))


def world_points(points, matrix):
    """(N, 3) points of the rig file's space taken into Blender's world by the rig object's matrix."""
    rows = np.array(matrix, dtype=np.float64)
    return points @ rows[:3, :3].T + rows[:3, 3]


def rig_marks(rig, session):
    """The overlay of the rig object's last evaluation by `session`, in Blender's world space:
    {category: {"segments", "points", "labels"}}."""
    settings = rig.lidshaper
    errors = [line for line in live.message(rig).split(" | ") if line]
    attrs = session.inputs(rig, session.last_frame)
    marks = lidshaper.overlay(attrs, session.points, rig_space_matrix(rig, settings.mesh), errors)
    placed = {}
    for name, entry in marks.items():
        segments = [np.repeat(line, 2, axis=0)[1:-1] for line in entry["lines"]]
        placed[name] = {
            "segments": world_points(np.concatenate(segments) if segments else np.empty((0, 3)), rig.matrix_world),
            "points": world_points(entry["points"], rig.matrix_world),
            "labels": [(text, world_points(at.reshape(1, 3), rig.matrix_world)[0]) for text, at in entry["labels"]],
        }
    return placed


_cache = {}  # rig object's address -> (what the marks were read from, the marks)


def _marks_now(rig):
    session = live.existing_session(rig)
    if session is None or session.last_frame is None or not rig.lidshaper.live or rig.lidshaper.mesh is None:
        return None
    key = (id(session), session.last_frame, hash(session.points.tobytes()), live.message(rig),
           tuple(map(tuple, rig.matrix_world)))
    cached = _cache.get(rig.as_pointer())
    if cached is None or cached[0] != key:
        cached = _cache[rig.as_pointer()] = (key, rig_marks(rig, session))
    return cached[1]


def shown_marks(context):
    """(category, colour, marks) of every category switched on, over every live rig of the scene; empty
    with the overlay off."""
    settings = context.scene.lidshaper_overlay
    if not settings.show:
        return []
    shown = []
    for rig in rig_objects(context.scene):
        marks = _marks_now(rig)
        if marks is None:
            continue
        for name, _, color in CATEGORIES:
            if getattr(settings, property_name(name)):
                shown.append((name, color, marks[name]))
    return shown


draw_errors = []  # what went wrong in a draw callback: a viewport never raises


def _guarded(function):
    def guarded(*args):
        try:
            function(*args)
        except Exception as error:  # noqa: BLE001 - drawing must never take the viewport down
            if len(draw_errors) < 10:
                draw_errors.append(repr(error))
    return guarded


def _shader():
    try:
        return gpu.shader.from_builtin("3D_UNIFORM_COLOR")
    except ValueError:
        return gpu.shader.from_builtin("UNIFORM_COLOR")


@_guarded
def draw_marks():
    shown = shown_marks(bpy.context)
    if not shown:
        return
    shader = _shader()
    gpu.state.depth_test_set("NONE")
    gpu.state.blend_set("ALPHA")
    gpu.state.line_width_set(2.0)
    gpu.state.point_size_set(6.0)
    shader.bind()
    for _, color, marks in shown:
        shader.uniform_float("color", (*color, 1.0))
        if len(marks["segments"]):
            batch_for_shader(shader, "LINES", {"pos": marks["segments"].astype(np.float32)}).draw(shader)
        if len(marks["points"]):
            batch_for_shader(shader, "POINTS", {"pos": marks["points"].astype(np.float32)}).draw(shader)
    gpu.state.line_width_set(1.0)
    gpu.state.point_size_set(1.0)
    gpu.state.blend_set("NONE")


@_guarded
def draw_labels():
    shown = shown_marks(bpy.context)
    if not shown:
        return
    region = bpy.context.region
    view = bpy.context.region_data
    font = 0
    blf.size(font, 13, 72)
    for _, color, marks in shown:
        blf.color(font, *color, 1.0)
        for text, at in marks["labels"]:
            place = location_3d_to_region_2d(region, view, at)
            if place is not None:
                blf.position(font, place.x, place.y, 0)
                blf.draw(font, text)


_draw_handles = []


def registered():
    """Whether the overlay's draw callbacks are in the 3D viewport."""
    return len(_draw_handles) == 2


def register():
    bpy.utils.register_class(LIDSHAPER_PG_overlay)
    bpy.utils.register_class(LIDSHAPER_PT_overlay)
    bpy.types.Scene.lidshaper_overlay = bpy.props.PointerProperty(type=LIDSHAPER_PG_overlay)
    _draw_handles.append(bpy.types.SpaceView3D.draw_handler_add(draw_marks, (), "WINDOW", "POST_VIEW"))
    _draw_handles.append(bpy.types.SpaceView3D.draw_handler_add(draw_labels, (), "WINDOW", "POST_PIXEL"))


def unregister():
    while _draw_handles:
        bpy.types.SpaceView3D.draw_handler_remove(_draw_handles.pop(), "WINDOW")
    _cache.clear()
    del bpy.types.Scene.lidshaper_overlay
    bpy.utils.unregister_class(LIDSHAPER_PT_overlay)
    bpy.utils.unregister_class(LIDSHAPER_PG_overlay)
