"""The node's controls as animatable Blender properties.

A control is an attribute that takes one plain value (a switch, a count, a number or a vector);
index lists, surface parameters, curves and surfaces describe the rig's build and stay as the
rig file gives them. Each control becomes a property of the rig object named by its full key,
with the control reference's description as its tooltip and its useful range as the slider's.
"""
import bpy
import lidshaper

from .plugin import plugin

CURVE_PATH = "lidshaper.controls."  # animation curves of the controls: this path and the key

CONTROL_TYPES = {"RgBoolean", "RgInt", "RgFloat", "RgDouble", "RgVector"}

def panel_groups():
    """The schema's panel groups in panel order: the node's own attributes' groups as it declares
    them, then the host's settings'."""
    titles = []
    for attribute in plugin().schema() + plugin().schema(host_settings=True):
        if attribute.group not in titles:
            titles.append(attribute.group)
    return titles


def group_of(key):
    """(group title, label) of a declared key: its panel group and its name within the group;
    (None, key) for a key the node does not declare."""
    attribute = _declared().get(key)
    if attribute is None:
        return None, key
    return attribute.group, attribute.short_name.rpartition("__")[2]


_attributes = {}


def _declared():
    if not _attributes:
        _attributes.update((a.key, a) for a in plugin().schema(host_settings=True))
    return _attributes


def control_attributes():
    """The schema's controls, in schema order."""
    return [a for a in _declared().values() if a.type_name in CONTROL_TYPES and a.form == "value"]


def rig_controls(attributes):
    """Key -> value class of the controls an attribute map holds, in schema order. The class is
    the map's own, so a rig file that gives a control the wrong class fails in Blender as it
    fails in rghost."""
    return {a.key: attributes[a.key].type_name for a in control_attributes()
            if isinstance(attributes.get(a.key), lidshaper.Value)}


def _tooltip(attribute):
    unit = f" ({attribute.unit})" if attribute.unit else ""
    return attribute.description + unit


def _property(attribute, update):
    label = group_of(attribute.key)[1]
    common = {"name": label, "description": _tooltip(attribute), "update": update}
    default = attribute.default
    if attribute.type_name == "RgBoolean":
        return bpy.props.BoolProperty(default=bool(default), **common)
    if attribute.type_name == "RgVector":
        return bpy.props.FloatVectorProperty(size=3, default=tuple(default or (0, 0, 0)), subtype="XYZ", **common)
    low, high = attribute.range or (None, None)
    limits = {name: bound for name, bound in (("soft_min", low), ("soft_max", high))
              if bound is not None and abs(bound) != float("inf")}
    if attribute.type_name == "RgInt":
        return bpy.props.IntProperty(default=int(default or 0), **common, **{k: int(v) for k, v in limits.items()})
    return bpy.props.FloatProperty(default=float(default or 0), precision=3, **common, **limits)


def controls_class(on_edit):
    """A property group with one property per control, for the plug-in loaded here; an edit calls
    `on_edit(rig_object)`."""
    def edited(controls, _context):
        on_edit(controls.id_data)

    annotations = {a.key: _property(a, edited) for a in control_attributes()}
    return type("LIDSHAPER_PG_controls", (bpy.types.PropertyGroup,), {"__annotations__": annotations})


def keyed_values(rig_object, control_types, scene_frame):
    """Key -> value of the controls at a scene frame: keyed ones from their curves, the others as
    they stand."""
    settings = rig_object.lidshaper
    values = {key: value(settings.controls, key) for key in control_types}
    action = rig_object.animation_data.action if rig_object.animation_data else None
    for curve in action.fcurves if action else ():
        key = curve.data_path[len(CURVE_PATH):]
        if not curve.data_path.startswith(CURVE_PATH) or key not in values:
            continue
        number = curve.evaluate(scene_frame)
        current = values[key]
        if isinstance(current, tuple):
            values[key] = current[:curve.array_index] + (number,) + current[curve.array_index + 1:]
        else:
            values[key] = type(current)(round(number) if isinstance(current, (bool, int)) else number)
    return values


def value(controls, key):
    """The control's value as the node takes it (vectors as tuples)."""
    current = getattr(controls, key)
    return tuple(current) if hasattr(current, "__len__") else current


def set_value(controls, key, new_value):
    setattr(controls, key, tuple(new_value) if hasattr(getattr(controls, key), "__len__") else new_value)
