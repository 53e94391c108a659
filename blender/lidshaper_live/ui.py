"""Operators, menu entries and the sidebar panel, and what every operator and panel of the
add-on shares: the sidebar tab they sit in and how an operator's failure reaches the status bar."""
import functools

import bpy
from bpy_extras.io_utils import ExportHelper, ImportHelper

from . import controls, export, live, rig_scene
from .rig_object import rig_object


class SidebarPanel:
    """A panel of the 3D viewport's sidebar, in the add-on's own tab."""
    bl_space_type = "VIEW_3D"
    bl_region_type = "UI"
    bl_category = "lidShaper"


def reports_errors(execute):
    """An operator's execute whose OSError or ValueError (a file that cannot be read or written, a
    rig that cannot be built) cancels the operator and reaches the status bar as one error line."""
    @functools.wraps(execute)
    def reporting(operator, context):
        try:
            return execute(operator, context)
        except (OSError, ValueError) as error:
            operator.report({"ERROR"}, str(error))
            return {"CANCELLED"}
    return reporting


class LIDSHAPER_OT_import_rig(bpy.types.Operator, ImportHelper):
    """Set up a live eyelid rig from a rig file"""
    bl_idname = "lidshaper.import_rig"
    bl_label = "Import lidShaper Rig"
    bl_options = {"REGISTER", "UNDO"}
    filename_ext = ".json"
    filter_glob: bpy.props.StringProperty(default="*.json", options={"HIDDEN"})

    @reports_errors
    def execute(self, context):
        context.view_layer.objects.active = rig_scene.set_up(context, self.filepath)
        return {"FINISHED"}


class _OnRig:
    """Offered while the active object is a rig object, its mesh or one of its eyeballs."""
    @classmethod
    def poll(cls, context):
        return rig_object(context.object) is not None


class LIDSHAPER_OT_export_rig(_OnRig, bpy.types.Operator, ExportHelper):
    """Write the rig with the scene's controls and eyeball placement, one frame per scene frame"""
    bl_idname = "lidshaper.export_rig"
    bl_label = "Export lidShaper Rig"
    filename_ext = ".json"
    filter_glob: bpy.props.StringProperty(default="*.json", options={"HIDDEN"})

    @reports_errors
    def execute(self, context):
        export.export_rig(context.scene, rig_object(context.object), self.filepath)
        self.report({"INFO"}, f"Wrote {self.filepath}")
        return {"FINISHED"}


class LIDSHAPER_OT_bake(_OnRig, bpy.types.Operator, ExportHelper):
    """Bake the scene's frame range to a point cache that plays without the add-on"""
    bl_idname = "lidshaper.bake"
    bl_label = "Bake lidShaper Rig"
    bl_options = {"REGISTER", "UNDO"}
    filename_ext = ".pc2"
    filter_glob: bpy.props.StringProperty(default="*.pc2", options={"HIDDEN"})

    @reports_errors
    def execute(self, context):
        export.bake(context.scene, rig_object(context.object), self.filepath)
        self.report({"INFO"}, f"Baked to {self.filepath}")
        return {"FINISHED"}


class LIDSHAPER_PT_rig(_OnRig, SidebarPanel, bpy.types.Panel):
    bl_label = "lidShaper"

    def draw(self, context):
        rig = rig_object(context.object)
        settings = rig.lidshaper
        layout = self.layout
        layout.prop(settings, "live")
        row = layout.row(align=True)
        row.operator(LIDSHAPER_OT_export_rig.bl_idname, text="Export", icon="EXPORT")
        row.operator(LIDSHAPER_OT_bake.bl_idname, text="Bake", icon="FILE_CACHE")
        reported = live.message(rig)
        if reported:
            layout.label(text=reported, icon="ERROR")
        try:
            live_rig = live.session(rig)
        except (OSError, ValueError) as error:
            layout.label(text=str(error), icon="ERROR")
            return
        for title, keys, built in panel_contents(live_rig):
            box = layout.box()
            box.label(text=title)
            for key in keys:
                box.prop(settings.controls, key)
            if built:
                box.label(text=f"{built} more from the rig file", icon="FILE")


def panel_contents(live_rig):
    """(group title, control keys, count of the group's other attributes) of each panel group
    the rig's attribute map has entries in, in panel order."""
    contents = []
    for title in controls.panel_groups():
        in_group = [key for key in live_rig.base if controls.group_of(key)[0] == title]
        if in_group:
            keys = [key for key in live_rig.control_types if key in in_group]
            contents.append((title, keys, len(in_group) - len(keys)))
    return contents


def _import_entry(menu, _context):
    menu.layout.operator(LIDSHAPER_OT_import_rig.bl_idname, text="lidShaper Rig (.json)")


def _export_entry(menu, _context):
    menu.layout.operator(LIDSHAPER_OT_export_rig.bl_idname, text="lidShaper Rig (.json)")


_classes = (LIDSHAPER_OT_import_rig, LIDSHAPER_OT_export_rig, LIDSHAPER_OT_bake, LIDSHAPER_PT_rig)


def register():
    for cls in _classes:
        bpy.utils.register_class(cls)
    bpy.types.TOPBAR_MT_file_import.append(_import_entry)
    bpy.types.TOPBAR_MT_file_export.append(_export_entry)


def unregister():
    bpy.types.TOPBAR_MT_file_export.remove(_export_entry)
    bpy.types.TOPBAR_MT_file_import.remove(_import_entry)
    for cls in reversed(_classes):
        bpy.utils.unregister_class(cls)
