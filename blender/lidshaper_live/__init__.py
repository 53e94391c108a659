"""lidShaper in Blender: rig files become eyelid rigs that the lidShaper node deforms live.

`set_up(context, rig_path)` builds a rig from a Python script as File > Import does;
`export_rig` and `bake` are the panel's Export and Bake.
"""
import os
import sys

bl_info = {
    "name": "lidShaper",
    "description": "Eyelid rigs deformed live by the lidShaper node",
    "version": (1, 0, 0),
    "blender": (3, 4, 0),
    "location": "File > Import > lidShaper Rig; View3D > Sidebar > lidShaper",
    "category": "Rigging",
}


def _find_module():
    """Without `lidshaper` on the Python path, the module built in this add-on's checkout is used
    (the add-on folder is linked into Blender's add-ons, so its real path is in the checkout)."""
    try:
        import lidshaper  # noqa: F401
    except ImportError:
        checkout = os.path.dirname(os.path.dirname(os.path.dirname(os.path.realpath(__file__))))
        sys.path.append(os.path.join(checkout, "build", "python"))


_find_module()

from . import live, rig_eyelids, rig_object, ui  # noqa: E402
from .export import bake, export_rig  # noqa: E402,F401
from .rig_scene import set_up  # noqa: E402,F401


def register():
    rig_object.register()
    live.register()
    ui.register()
    rig_eyelids.register()


def unregister():
    rig_eyelids.unregister()
    ui.unregister()
    live.unregister()
    rig_object.unregister()
