"""The seeded generator of valid rigs that other suites play: valid, repeatable, and changing keys
of every kind over its frames."""
import subprocess

import pytest

import lidshaper
from conftest import RGHOST
from generated_rigs import generated_rig

SEEDS = range(30)


def _kind(value):
    """A value's class, lists marked []."""
    if isinstance(value, (lidshaper.Surface, lidshaper.Curve)):
        return type(value).__name__
    return value.type_name + ("[]" if len(value.values) else "")


@pytest.mark.parametrize("seed", SEEDS)
def test_generated_rig_passes_rghost_validate(seed, tmp_path):
    path = tmp_path / "rig.json"
    generated_rig(seed).write(str(path))
    run = subprocess.run([RGHOST, "validate", str(path)], capture_output=True, text=True)
    assert run.returncode == 0, run.stdout + run.stderr


def test_same_seed_same_rig_and_frames_change_every_kind_of_key(tmp_path):
    first, again = tmp_path / "first.json", tmp_path / "again.json"
    generated_rig(7).write(str(first))
    generated_rig(7).write(str(again))
    assert first.read_bytes() == again.read_bytes()

    changed_classes = set()
    for seed in SEEDS:
        rig = generated_rig(seed)
        assert 1 <= rig.frame_count <= 5
        for frame in rig.frames:
            assert frame
            changed_classes.update(_kind(value) for value in frame.values())
    assert {"Surface", "Curve", "RgInt[]", "RgVector[]", "RgDouble", "RgBoolean", "RgInt"} <= changed_classes
