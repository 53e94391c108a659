"""A rig file's frames in Blender: control values become keyframes, every other per-frame change
(index lists, surface parameters, move vectors, offsets, curves, eyeball surfaces) is held by the
rig object as the rig file's own frame data and saved with the .blend.

The held data is kept as rig-file text (a rig with frames only), so it reads and writes through
the same reader and writer as every rig file.
"""
import json
import os
import tempfile

import lidshaper


class FrameData:
    """The frames' held overrides: key -> value, None where a frame removes the key."""

    def __init__(self, start_frame=0, overrides=()):
        self.start_frame = start_frame
        self.overrides = list(overrides)

    @property
    def end_frame(self):
        return self.start_frame + len(self.overrides) - 1

    def at(self, scene_frame):
        """The overrides of a scene frame; before the first frame and after the last the nearest
        frame holds, as keyframes do."""
        if not self.overrides:
            return {}
        index = min(max(int(scene_frame) - self.start_frame, 0), len(self.overrides) - 1)
        return self.overrides[index]

    def attributes(self, base, scene_frame):
        """The base attribute map overlaid by the frame's overrides."""
        attributes = dict(base)
        for key, value in self.at(scene_frame).items():
            if value is None:
                attributes.pop(key, None)
            else:
                attributes[key] = value
        return attributes


def split_frames(rig, control_types):
    """(keyed, held): per frame the control values that become keyframes, and the FrameData of
    everything else. A frame that removes a control or gives it another class cannot be keyed:
    that is refused, naming the frame and the key."""
    keyed, held = [], []
    for number, frame in enumerate(rig.frames, rig.start_frame):
        controls, others = {}, {}
        for key, value in frame.items():
            if key not in control_types:
                others[key] = value
            elif isinstance(value, lidshaper.Value) and value.type_name == control_types[key]:
                controls[key] = value
            else:
                what = "removes" if value is None else "gives another class to"
                raise ValueError(f"frame {number} {what} the control {key}: a keyframe holds a value only")
        keyed.append(controls)
        held.append(others)
    return keyed, FrameData(rig.start_frame, held)


def to_text(held, node_name):
    """The held frames (also where they hold nothing: their count is the rig's frame range) as the
    text of a rig file that holds nothing else; empty without frames."""
    if not held.overrides:
        return ""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "frames.json")
        with open(path, "w") as file:
            json.dump({"format": "rg-rig/1", "node": node_name, "attributes": {}, "geometry": {"points": []}}, file)
        rig = lidshaper.read_rig(path)
        rig.frames = held.overrides
        rig.start_frame = held.start_frame
        rig.write(path)
        with open(path) as file:
            return file.read()


def from_text(text):
    """The FrameData of `to_text`'s text."""
    if not text:
        return FrameData()
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "frames.json")
        with open(path, "w") as file:
            file.write(text)
        rig = lidshaper.read_rig(path)
        return FrameData(rig.start_frame, rig.frames)
