"""The rig file's space in Blender.

Rig files come from Y-up hosts with characters facing +Z; Blender is Z-up with characters facing
-Y, and its importers convert by default (Forward -Z, Up Y). The rig object carries that
conversion as its own transform and its children keep the rig file's matrices, so the face
stands upright while the node still sees the rig file's space: every matrix it gets is relative
to the rig object, however the rig object is placed.
"""
import numpy as np
from bpy_extras.io_utils import axis_conversion
from mathutils import Matrix

Y_UP_TO_Z_UP = axis_conversion(from_forward="-Z", from_up="Y").to_4x4()

# A matrix in Blender holds single-precision numbers.
PLACEMENT_TOLERANCE = 1e-5


def row_major(matrix):
    """A Blender matrix (column vectors) in the rig file's layout: row-major, row vectors."""
    return np.array(matrix, dtype=np.float64).T


def blender_matrix(rows):
    """The rig file's row-major, row-vector matrix as a Blender matrix."""
    return Matrix(np.asarray(rows, dtype=np.float64).T.tolist())


def rig_space_matrix(rig_object, obj):
    """`obj`'s placement in the rig file's space, as the node takes it."""
    return row_major(rig_object.matrix_world.inverted_safe() @ obj.matrix_world)


def place(obj, rows, what):
    """Sets `obj`'s transform under the rig object to the rig file's matrix `rows`; a matrix that
    location, rotation and scale cannot hold (a shear) is refused, naming `what`."""
    wanted = blender_matrix(rows)
    obj.matrix_basis = wanted
    held = np.array(obj.matrix_basis)
    if not np.allclose(held, np.array(wanted), rtol=0, atol=PLACEMENT_TOLERANCE * max(1.0, np.abs(held).max())):
        raise ValueError(f"{what}: the matrix is sheared; a Blender object cannot be placed by it")
