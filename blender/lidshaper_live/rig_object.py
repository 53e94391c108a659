"""The rig object: an empty that carries one node's rig file, its mesh, its eyeballs and its controls.

The mesh and the eyeballs are its children, so moving the rig object moves the whole face.
"""
import bpy
import numpy as np
from mathutils import Matrix

from . import controls


def row_major(matrix):
    """A Blender matrix (column vectors) in the rig file's layout: row-major, row vectors."""
    return np.array(matrix, dtype=np.float64).T


def blender_matrix(rows):
    """The rig file's row-major, row-vector matrix as a Blender matrix."""
    return Matrix(np.asarray(rows, dtype=np.float64).T.tolist())


def _live_switched(settings, context):
    from . import live  # live imports this module for the property classes
    live.live_switched(settings.id_data)


class LIDSHAPER_PG_surface(bpy.types.PropertyGroup):
    key: bpy.props.StringProperty(description="Attribute key of the surface")
    object: bpy.props.PointerProperty(type=bpy.types.Object,
                                      description="Object whose world matrix places the surface")


class LIDSHAPER_PG_rig(bpy.types.PropertyGroup):
    rig_path: bpy.props.StringProperty(name="Rig file", subtype="FILE_PATH",
                                       description="Rig file the node's build (indices, curves, surfaces) comes from")
    mesh: bpy.props.PointerProperty(type=bpy.types.Object, description="Mesh the node deforms")
    surfaces: bpy.props.CollectionProperty(type=LIDSHAPER_PG_surface)
    live: bpy.props.BoolProperty(name="Live", default=False, update=_live_switched,
                                 description="Deform the mesh on frame changes, control edits and eyeball moves; "
                                             "off leaves it at rest")


def rig_object(obj):
    """The rig object that `obj` is or belongs to, or None."""
    for candidate in (obj, obj.parent if obj else None):
        if candidate is not None and candidate.lidshaper.rig_path:
            return candidate
    return None


def rig_objects(scene):
    return [obj for obj in scene.objects if obj.lidshaper.rig_path]


_classes = (LIDSHAPER_PG_surface, LIDSHAPER_PG_rig)


def register():
    controls_group = controls.controls_class()
    bpy.utils.register_class(controls_group)
    LIDSHAPER_PG_rig.__annotations__["controls"] = bpy.props.PointerProperty(type=controls_group)
    for cls in _classes:
        bpy.utils.register_class(cls)
    bpy.types.Object.lidshaper = bpy.props.PointerProperty(type=LIDSHAPER_PG_rig)


def unregister():
    del bpy.types.Object.lidshaper
    for cls in reversed(_classes):
        bpy.utils.unregister_class(cls)
    bpy.utils.unregister_class(LIDSHAPER_PG_rig.__annotations__.pop("controls").keywords["type"])
