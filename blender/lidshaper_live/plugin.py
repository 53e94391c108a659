"""Where the `lidshaper` module and the node plug-in come from, loaded once per Blender session.

An installed add-on carries both in its own folder: `python/` holds the module (the native part
finds the plug-in in `lib/` beside it, as in the build tree). An add-on linked into Blender from
a checkout uses that checkout's build, unless `lidshaper` is already on the Python path.
"""
import os
import sys

ADDON_FOLDER = os.path.dirname(os.path.realpath(__file__))
BUNDLED_MODULE = os.path.join(ADDON_FOLDER, "python")


def find_module():
    if os.path.isdir(BUNDLED_MODULE):
        if BUNDLED_MODULE not in sys.path:
            sys.path.insert(0, BUNDLED_MODULE)
        return
    try:
        import lidshaper  # noqa: F401
    except ImportError:
        checkout = os.path.dirname(os.path.dirname(ADDON_FOLDER))
        sys.path.append(os.path.join(checkout, "build", "python"))


_plugin = None


def plugin():
    """The node plug-in beside the `lidshaper` module."""
    global _plugin
    if _plugin is None:
        import lidshaper
        _plugin = lidshaper.load_plugin()
    return _plugin
