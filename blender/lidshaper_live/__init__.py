"""lidShaper in Blender: rig files become eyelid rigs that the lidShaper node deforms live.

`set_up(context, rig_path)` builds a rig from a Python script as File > Import does;
`export_rig` and `bake` are the panel's Export and Bake.
"""
from . import plugin

bl_info = {
    "name": "lidShaper",
    "description": "Eyelid rigs deformed live by the lidShaper node",
    "version": (1, 1, 0),
    "blender": (3, 4, 0),
    "location": "File > Import > lidShaper Rig; View3D > Sidebar > lidShaper",
    "category": "Rigging",
}

plugin.find_module()

from . import live, overlay, ui  # noqa: E402
from .export import bake, export_rig  # noqa: E402,F401
from .rig_scene import set_up  # noqa: E402,F401

# Registered in this order, unregistered in the reverse order.
_modules = [
    live,
    ui,
    overlay,
]


def register():
    for module in _modules:
        module.register()


def unregister():
    for module in reversed(_modules):
        module.unregister()
