"""Blender reads rghost's bakes: the --mesh OBJ imported with its point order
and faces, a Mesh Cache modifier on the --pc2 file, evaluated positions equal
to the result file's points.

Runs inside Blender: blender -b --factory-startup --python point_cache_test.py -- RGHOST WORKDIR
"""

import json
import pathlib
import subprocess
import sys

import bpy
import numpy as np

START_FRAME = 1001
FLOAT32_TOLERANCE = 1e-6  # relative, a few float32 steps


def bake(rghost, work):
    """The sample rig from frame START_FRAME baked to a result file, a point cache and a rest mesh."""
    rig_path = work / "rig.json"
    subprocess.run([rghost, "sample-rig", "-o", rig_path, "--columns", "8", "--frames", "12"], check=True)
    rig = json.loads(rig_path.read_text())
    rig["startFrame"] = START_FRAME
    rig_path.write_text(json.dumps(rig))
    paths = {name: work / name for name in ("result.json", "cache.pc2", "rest.obj")}
    subprocess.run([rghost, "deform", rig_path, "-o", paths["result.json"], "--pc2", paths["cache.pc2"],
                    "--mesh", paths["rest.obj"]], check=True)
    return rig, paths


def rest_points_and_faces(obj_path):
    points, faces = [], []
    for line in obj_path.read_text().splitlines():
        kind, *fields = line.split()
        if kind == "v":
            points.append([float(x) for x in fields])
        elif kind == "f":
            faces.append([int(i) - 1 for i in fields])
    return np.array(points), faces


def mesh_coordinates(mesh):
    coordinates = np.empty(len(mesh.vertices) * 3)
    mesh.vertices.foreach_get("co", coordinates)
    return coordinates.reshape(-1, 3)


def differs(have, want):
    return have.shape != want.shape or not np.allclose(have, want, rtol=FLOAT32_TOLERANCE, atol=FLOAT32_TOLERANCE)


def problems(mesh_path, cache_path, rig, result_path):
    """What Blender shows differently from the rig and its result file, one line per problem."""
    for obj in list(bpy.data.objects):
        bpy.data.objects.remove(obj)
    # The OBJ importer of Blender 3.3 and later keeps the file's vertex order
    # (one object, no splitting); it turns Y-up into Z-up through the object's
    # rotation, so the vertex data stay in the rig's space, as the cache is.
    bpy.ops.wm.obj_import(filepath=str(mesh_path))
    obj = bpy.context.selected_objects[0]
    found = []
    if differs(mesh_coordinates(obj.data), np.array(rig["geometry"]["points"], dtype=float)):
        found.append("imported points are not the rig's rest points in order")
    if [list(polygon.vertices) for polygon in obj.data.polygons] != rig["geometry"]["faces"]:
        found.append("imported faces are not the rig's faces")

    frames = json.loads(result_path.read_text())["frames"]
    cache = obj.modifiers.new("bake", "MESH_CACHE")
    cache.cache_format = "PC2"
    cache.filepath = str(cache_path)
    cache.frame_start = frames[0]["frame"]
    cache.interpolation = "NONE"
    scene = bpy.context.scene
    for frame in (frames[0], frames[len(frames) // 2], frames[-1]):
        scene.frame_set(frame["frame"])
        evaluated = obj.evaluated_get(bpy.context.evaluated_depsgraph_get())
        if differs(mesh_coordinates(evaluated.to_mesh()), np.array(frame["points"], dtype=float)):
            found.append(f"frame {frame['frame']}: evaluated points differ from the result file")
        evaluated.to_mesh_clear()
    return found


def reordered_obj(source, target):
    """The same mesh with its first two points swapped (faces renumbered): a valid OBJ in another order."""
    points, faces = rest_points_and_faces(source)
    swap = {0: 1, 1: 0}
    order = [swap.get(i, i) for i in range(len(points))]
    lines = ["v %r %r %r" % tuple(points[i]) for i in order]
    lines += ["f " + " ".join(str(swap.get(i, i) + 1) for i in face) for face in faces]
    target.write_text("\n".join(lines) + "\n")


def main():
    rghost, work = sys.argv[sys.argv.index("--") + 1:]
    work = pathlib.Path(work)
    work.mkdir(parents=True, exist_ok=True)
    rig, paths = bake(rghost, work)
    mesh, cache, result = paths["rest.obj"], paths["cache.pc2"], paths["result.json"]

    found = problems(mesh, cache, rig, result)
    assert not found, found

    # The check must see faults: points out of order, a cache one frame late.
    reordered_obj(mesh, work / "reordered.obj")
    late = work / "late.pc2"
    subprocess.run([rghost, "deform", work / "rig.json", "--pc2", late, "--frames",
                    f"{START_FRAME + 1}:{START_FRAME + len(rig['frames']) - 1}"], check=True)
    for broken in (problems(work / "reordered.obj", cache, rig, result), problems(mesh, late, rig, result)):
        assert broken, "a broken bake passed the check"
    print("Blender reads the point cache as the result file says")


main()
