# Blender's side of scripts/interop, run headless:
#   blender -b --factory-startup -P blender_interop.py -- import <file>...
#       imports each file into an empty scene and prints
#       "<file> objects=N points=P faces=F triangles=T corners=C"
#   blender -b --factory-startup -P blender_interop.py -- export <folder>
#       writes Blender's default cube, a monkey subdivided twice (7,872 quads) and a circle of 32
#       points filled as one face in every format, and prints
#       "<file> points=P faces=F triangles=T corners=C" for what Blender holds (modifiers applied)
#   blender -b --factory-startup -P blender_interop.py -- triangles <file> <reference>
#       imports both and prints "<file> triangles=T faces=F drawn=D wound=W": of the reference's
#       F faces, D are drawn exactly by n − 2 of the file's triangles over their own corners
#       (matched by position, within 1e-5) and W of those with every triangle facing the face's
#       way
import os
import sys
from collections import defaultdict

import bpy
import mathutils.kdtree

try:
    import numpy

    # Blender 3.4's glTF importer uses an alias that numpy 1.24 removed.
    if not hasattr(numpy, "bool"):
        numpy.bool = bool
except ImportError:
    pass

FORMATS = [
    ("glb", lambda p: bpy.ops.export_scene.gltf(
        filepath=p, export_format="GLB", use_selection=True, export_apply=True,
        export_normals=False, export_texcoords=False, export_materials="NONE")),
    ("gltf", lambda p: bpy.ops.export_scene.gltf(
        filepath=p, export_format="GLTF_SEPARATE", use_selection=True, export_apply=True,
        export_normals=False, export_texcoords=False, export_materials="NONE")),
    ("obj", lambda p: bpy.ops.wm.obj_export(
        filepath=p, export_selected_objects=True, export_materials=False, export_normals=False,
        export_uv=False)),
    ("binary.ply", lambda p: bpy.ops.export_mesh.ply(
        filepath=p, use_selection=True, use_ascii=False, use_normals=False, use_uv_coords=False,
        use_colors=False)),
    ("ascii.ply", lambda p: bpy.ops.export_mesh.ply(
        filepath=p, use_selection=True, use_ascii=True, use_normals=False, use_uv_coords=False,
        use_colors=False)),
    ("binary.stl", lambda p: bpy.ops.export_mesh.stl(filepath=p, use_selection=True, ascii=False)),
    ("ascii.stl", lambda p: bpy.ops.export_mesh.stl(filepath=p, use_selection=True, ascii=True)),
]


def counts(meshes):
    polygons = [p for m in meshes for p in m.polygons]
    return (f"points={sum(len(m.vertices) for m in meshes)} faces={len(polygons)} "
            f"triangles={sum(len(p.vertices) - 2 for p in polygons)} "
            f"corners={sum(len(p.vertices) for p in polygons)}")


def read(path):
    """Imports the file into an empty scene; its mesh objects, or the error."""
    bpy.ops.wm.read_factory_settings(use_empty=True)
    extension = path.rsplit(".", 1)[-1].lower()
    try:
        if extension in ("glb", "gltf"):
            bpy.ops.import_scene.gltf(filepath=path)
        elif extension == "obj":
            bpy.ops.wm.obj_import(filepath=path)
        elif extension == "ply":
            bpy.ops.import_mesh.ply(filepath=path)
        elif extension == "stl":
            bpy.ops.import_mesh.stl(filepath=path)
    except Exception as error:  # one failed file must not hide the others
        return str(error).strip().splitlines()[-1]
    return [o for o in bpy.context.scene.objects if o.type == "MESH"]


def import_file(path):
    objects = read(path)
    if isinstance(objects, str):
        print(f"{path} failed: {objects}")
        return
    print(f"{path} objects={len(objects)} {counts([o.data for o in objects])}")


def only(obj):
    for o in bpy.context.scene.objects:
        o.select_set(o == obj)
    bpy.context.view_layer.objects.active = obj


def export_models(folder):
    bpy.ops.wm.read_factory_settings()
    cube = bpy.context.scene.objects["Cube"]
    bpy.ops.mesh.primitive_monkey_add(location=(4, 0, 0))
    monkey = bpy.context.active_object
    monkey.modifiers.new("Subdivision", "SUBSURF").levels = 2
    bpy.ops.mesh.primitive_circle_add(vertices=32, fill_type="NGON", location=(-4, 0, 0))
    circle = bpy.context.active_object
    depsgraph = bpy.context.evaluated_depsgraph_get()
    for name, obj in (("cube", cube), ("monkey", monkey), ("circle", circle)):
        held = counts([obj.evaluated_get(depsgraph).to_mesh()])
        only(obj)
        for suffix, export in FORMATS:
            path = os.path.join(folder, f"blender-{name}.{suffix}")
            export(path)
            print(f"{path} {held}")


def world_points(obj):
    return [obj.matrix_world @ v.co for v in obj.data.vertices]


def check_triangles(path, reference):
    drawn = read(path)
    if isinstance(drawn, str) or len(drawn) != 1:
        print(f"{path} failed: {drawn if isinstance(drawn, str) else len(drawn)} objects")
        return
    drawn = drawn[0]
    points = world_points(drawn)
    triangles = [[points[i] for i in p.vertices] for p in drawn.data.polygons]
    normals = [(drawn.matrix_world.to_3x3() @ p.normal) for p in drawn.data.polygons]
    model = read(reference)[0]
    # Points are matched by position: the two readers may round a coordinate's text differently.
    tree = mathutils.kdtree.KDTree(len(model.data.vertices))
    for i, p in enumerate(world_points(model)):
        tree.insert(p, i)
    tree.balance()

    def where(p):
        _, i, distance = tree.find(p)
        return i if distance < 1e-5 else None

    faces = model.data.polygons
    around = defaultdict(set)
    for face in faces:
        for v in face.vertices:
            around[v].add(face.index)
    mine = defaultdict(list)
    for corners, normal in zip(triangles, normals):
        ids = [where(p) for p in corners]
        if None in ids:
            continue
        shared = around[ids[0]] & around[ids[1]] & around[ids[2]]
        if len(shared) == 1:
            mine[shared.pop()].append((set(ids), normal))
    exact = wound = 0
    for face in faces:
        cut = mine.get(face.index, [])
        corners = set(face.vertices)
        if len(cut) == len(face.vertices) - 2 and set().union(*(c for c, _ in cut)) == corners:
            exact += 1
            facing = model.matrix_world.to_3x3() @ face.normal
            wound += all(n.dot(facing) > 0 for _, n in cut)
    print(f"{path} triangles={len(triangles)} faces={len(faces)} drawn={exact} wound={wound}")


args = sys.argv[sys.argv.index("--") + 1:]
if args[0] == "import":
    for path in args[1:]:
        import_file(path)
elif args[0] == "export":
    export_models(args[1])
elif args[0] == "triangles":
    check_triangles(args[1], args[2])
