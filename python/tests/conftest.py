import os
import pathlib

import pytest

import lidshaper

SOURCE_DIR = pathlib.Path(os.environ.get("LIDSHAPER_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
GOLDEN_RIGS = sorted((SOURCE_DIR / "tests" / "data" / "golden").glob("*/*.rig.json"))
RGHOST = os.environ.get("LIDSHAPER_RGHOST", str(SOURCE_DIR / "build" / "bin" / "rghost"))


@pytest.fixture(scope="session")
def plugin():
    return lidshaper.load_plugin()


@pytest.fixture(scope="session")
def sample():
    return lidshaper.sample_rig(columns=24, frames=12)
