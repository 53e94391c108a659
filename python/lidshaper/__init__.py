"""lidShaper in-process: the plug-in's nodes on NumPy arrays, rig files, and bakes.

    import lidshaper
    plugin = lidshaper.load_plugin()           # the build's plug-in, beside this module
    rig = lidshaper.sample_rig(columns=24)
    node = plugin.create(rig.node_name)
    result = node.deform(rig.frame_attributes(0), rig.points)
    result.status_name, result.errors, result.points   # points: (N, 3) float64
"""

from _lidshaper import (
    Attribute,
    Curve,
    DeformResult,
    FrameResult,
    HelpResult,
    Node,
    Plugin,
    Result,
    Rig,
    Surface,
    Value,
    build_rig,
    empty_points,
    load_plugin,
    merge,
    overlay,
    overlay_categories,
    read_rig,
    sample_rig,
    write_result,
)
from .bake import BakeError, bake, bake_jobs

__all__ = [
    "Attribute",
    "BakeError",
    "Curve",
    "DeformResult",
    "FrameResult",
    "HelpResult",
    "Node",
    "Plugin",
    "Result",
    "Rig",
    "Surface",
    "Value",
    "bake",
    "bake_jobs",
    "build_rig",
    "empty_points",
    "load_plugin",
    "merge",
    "overlay",
    "overlay_categories",
    "read_rig",
    "sample_rig",
    "write_result",
]
