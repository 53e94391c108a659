"""Runs the unittest cases of the test files given after `--` inside Blender:

    blender -b --factory-startup --python-exit-code 1 --python tests/blender/run_in_blender.py -- TEST_FILE...

Blender exits with status 1 when a case fails or a file does not load."""
import importlib.util
import os
import sys
import unittest

suite = unittest.TestSuite()
for path in sys.argv[sys.argv.index("--") + 1:]:
    name = os.path.splitext(os.path.basename(path))[0]
    spec = importlib.util.spec_from_file_location(name, path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    suite.addTests(unittest.defaultTestLoader.loadTestsFromModule(module))
result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2).run(suite)
sys.exit(0 if result.wasSuccessful() else 1)
