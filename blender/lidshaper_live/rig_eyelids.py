"""Rig Eyelids: the selected head and eyeball meshes become a live eyelid rig.

The rig is built from the meshes as they stand in the world, taken into the rig file's Y-up space
(set-up turns it back, so the rig stands where the head stood), written to a rig file and set up
from it as File > Import does; the head and eyeball objects it was built from are hidden, the
rig's mesh and eyeballs take their place. In edit mode, the head's selected edge loops are the
lid margins, one loop per eye.
"""
import os
import tempfile

import bmesh
import bpy
import lidshaper
import numpy as np

from .rig_object import rig_object
from .rig_scene import set_up
from .space import Y_UP_TO_Z_UP
from .ui import SidebarPanel, reports_errors


def rig_eyelids(context, head, eyeballs=(), rig_path=None, **overrides):
    """Builds and sets up the rig of mesh object `head` with its eyeball mesh objects (none: the
    head's loose parts are its eyeballs); `overrides` are build_rig's keyword arguments. Returns
    the live rig object; ValueError naming what is wrong when no rig can be built."""
    if head.mode == "EDIT":
        head.update_from_editmode()
    points = _world_points(head)
    faces = [list(polygon.vertices) for polygon in head.data.polygons]
    eyeball_inputs = [_world_points(eyeball) for eyeball in eyeballs] or None
    margins = _selected_loops(head)
    if margins:
        if eyeball_inputs is None:
            raise ValueError("margin loops are selected: select the eyeball objects too")
        eyeball_inputs = _with_margins(eyeball_inputs, margins, points)
    rig = lidshaper.build_rig(points, faces, eyeball_inputs, **overrides)
    rig.node_name = bpy.path.clean_name(head.name) + "Rig"
    rig_path = rig_path or _default_rig_path(head)
    rig.write(rig_path)
    if head.mode == "EDIT":
        bpy.ops.object.mode_set(mode="OBJECT")
    live_rig = set_up(context, rig_path)
    for built_from in (head, *eyeballs):
        built_from.hide_set(True)
        built_from.hide_render = True
    return live_rig


def _world_points(obj):
    """`obj`'s points in the world, in the rig file's space."""
    mesh = obj.data
    local = np.empty(len(mesh.vertices) * 3)
    mesh.vertices.foreach_get("co", local)
    local = np.column_stack([local.reshape(-1, 3), np.ones(len(mesh.vertices))])
    to_rig_space = np.array(Y_UP_TO_Z_UP.inverted() @ obj.matrix_world)
    return (local @ to_rig_space.T)[:, :3].copy()


def _selected_loops(head):
    """The edge loops selected on the head in edit mode, each in order around its opening."""
    if head.mode != "EDIT":
        return []
    edit = bmesh.from_edit_mesh(head.data)
    edit.verts.index_update()
    neighbours = {}
    for edge in edit.edges:
        if edge.select:
            a, b = (vertex.index for vertex in edge.verts)
            neighbours.setdefault(a, []).append(b)
            neighbours.setdefault(b, []).append(a)
    loops = []
    while neighbours:
        start = next(iter(neighbours))
        loop = [start]
        while True:
            ahead = [v for v in neighbours[loop[-1]] if v not in loop[-2:-1]]
            if len(neighbours[loop[-1]]) != 2 or not ahead:
                raise ValueError(f"selected edges at vertex {loop[-1]} do not form a closed loop")
            if ahead[0] == start:
                break
            loop.append(ahead[0])
        loops.append(loop)
        for vertex in loop:
            del neighbours[vertex]
    return loops


def _with_margins(eyeball_points, margins, head_points):
    """Each eyeball with the selected loop nearest to it as its margin."""
    if len(margins) != len(eyeball_points):
        raise ValueError(f"{len(margins)} margin loops selected for {len(eyeball_points)} eyeballs")
    eyeballs = []
    for points in eyeball_points:
        center = points.mean(axis=0)
        nearest = min(margins, key=lambda loop: np.linalg.norm(head_points[loop].mean(axis=0) - center))
        eyeballs.append({"points": points, "margin": nearest})
    return eyeballs


def _default_rig_path(head):
    """Beside the saved .blend file, else in the temporary folder."""
    folder = bpy.path.abspath("//") if bpy.data.filepath else tempfile.gettempdir()
    return os.path.join(folder, bpy.path.clean_name(head.name) + ".rig.json")


def _head_and_eyeballs(context):
    """The head is the active mesh (else the selected mesh with the most points), the eyeballs
    the other selected meshes."""
    meshes = [obj for obj in context.selected_objects if obj.type == "MESH"]
    if context.object in meshes:
        head = context.object
    else:
        head = max(meshes, key=lambda obj: len(obj.data.vertices))
    return head, [obj for obj in meshes if obj is not head]


class LIDSHAPER_OT_rig_eyelids(bpy.types.Operator):
    """Build an eyelid rig from the selected head and eyeball meshes and set it up live"""
    bl_idname = "lidshaper.rig_eyelids"
    bl_label = "Rig Eyelids"
    bl_options = {"REGISTER", "UNDO"}

    rig_path: bpy.props.StringProperty(
        name="Rig File", subtype="FILE_PATH",
        description="Where the built rig is written (empty: beside the .blend file, or a temporary folder)")
    swap_sides: bpy.props.BoolProperty(
        name="Swap Sides", description="Name the eye on the character's right the left eye")
    soft_region: bpy.props.BoolProperty(
        name="Soft Region", default=True, description="Brow and cheek loops follow the creases")
    between_rows: bpy.props.IntProperty(
        name="Lid Loops", min=0, description="Loops from the margin to the crease, crease excluded (0: found)")

    @classmethod
    def poll(cls, context):
        return any(obj.type == "MESH" for obj in context.selected_objects)

    @reports_errors
    def execute(self, context):
        head, eyeballs = _head_and_eyeballs(context)
        overrides = {"swap_sides": self.swap_sides, "soft_region": self.soft_region}
        if self.between_rows:
            overrides["between_rows"] = self.between_rows
        live_rig = rig_eyelids(context, head, eyeballs, bpy.path.abspath(self.rig_path) or None, **overrides)
        context.view_layer.objects.active = live_rig
        self.report({"INFO"}, f"Rigged {head.name}'s eyelids")
        return {"FINISHED"}


class LIDSHAPER_PT_rig_eyelids(SidebarPanel, bpy.types.Panel):
    bl_label = "lidShaper"

    @classmethod
    def poll(cls, context):
        obj = context.object
        return obj is not None and obj.type == "MESH" and rig_object(obj) is None and LIDSHAPER_OT_rig_eyelids.poll(context)

    def draw(self, context):
        self.layout.label(text="Select the head, then its eyeballs")
        self.layout.operator(LIDSHAPER_OT_rig_eyelids.bl_idname, icon="HIDE_OFF")


def _menu_entry(menu, _context):
    menu.layout.operator(LIDSHAPER_OT_rig_eyelids.bl_idname)


_classes = (LIDSHAPER_OT_rig_eyelids, LIDSHAPER_PT_rig_eyelids)


def register():
    for cls in _classes:
        bpy.utils.register_class(cls)
    # In the Object menu, so that F3 search finds it too.
    bpy.types.VIEW3D_MT_object.append(_menu_entry)


def unregister():
    bpy.types.VIEW3D_MT_object.remove(_menu_entry)
    for cls in reversed(_classes):
        bpy.utils.unregister_class(cls)
