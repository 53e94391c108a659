"""The rig object: an empty that carries one node's rig file, its mesh, its eyeballs, its controls
and the rig file's per-frame data.

The mesh and the eyeballs are its children, so moving the rig object moves the whole face.
"""
import bpy

from . import controls


class LIDSHAPER_PG_surface(bpy.types.PropertyGroup):
    key: bpy.props.StringProperty(description="Attribute key of the surface")
    object: bpy.props.PointerProperty(type=bpy.types.Object,
                                      description="Object whose placement under the rig object places the surface")


def rig_object(obj):
    """The rig object that `obj` is or belongs to, or None."""
    for candidate in (obj, obj.parent if obj else None):
        if candidate is not None and candidate.lidshaper.rig_path:
            return candidate
    return None


def rig_objects(scene):
    return [obj for obj in scene.objects if obj.lidshaper.rig_path]


_classes = []


def register(on_change, on_live_switched):
    """Registers the rig object's properties: a control edit or another rig file calls
    `on_change(rig_object)`, switching Live `on_live_switched(rig_object)`."""
    def changed(settings, _context):
        on_change(settings.id_data)

    def live_switched(settings, _context):
        on_live_switched(settings.id_data)

    controls_group = controls.controls_class(on_change)
    rig_group = type("LIDSHAPER_PG_rig", (bpy.types.PropertyGroup,), {"__annotations__": {
        "rig_path": bpy.props.StringProperty(
            name="Rig file", subtype="FILE_PATH", update=changed,
            description="Rig file the node's build (indices, curves, surfaces) comes from"),
        "mesh": bpy.props.PointerProperty(type=bpy.types.Object, description="Mesh the node deforms"),
        "surfaces": bpy.props.CollectionProperty(type=LIDSHAPER_PG_surface),
        "controls": bpy.props.PointerProperty(type=controls_group),
        "frame_data": bpy.props.StringProperty(
            options={"HIDDEN"}, description="The rig file's per-frame changes other than the controls' keys"),
        "live": bpy.props.BoolProperty(
            name="Live", default=False, update=live_switched,
            description="Deform the mesh on frame changes, control edits and eyeball moves; off leaves it at rest"),
    }})
    _classes[:] = [LIDSHAPER_PG_surface, controls_group, rig_group]
    for cls in _classes:
        bpy.utils.register_class(cls)
    bpy.types.Object.lidshaper = bpy.props.PointerProperty(type=rig_group)


def unregister():
    del bpy.types.Object.lidshaper
    for cls in reversed(_classes):
        bpy.utils.unregister_class(cls)
    _classes.clear()
