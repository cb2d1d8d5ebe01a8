# Blender's side of scripts/interop, run headless:
#   blender -b --factory-startup -P blender_interop.py -- import <file>...
#       imports each file into an empty scene and prints
#       "<file> objects=N points=P faces=F triangles=T"
#   blender -b --factory-startup -P blender_interop.py -- export <folder>
#       writes Blender's default cube and a monkey subdivided once in every format, and prints
#       "<file> points=P triangles=T" for what Blender holds (modifiers applied)
import os
import sys

import bpy

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


def import_file(path):
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
        print(f"{path} failed: {str(error).strip().splitlines()[-1]}")
        return
    meshes = [o for o in bpy.context.scene.objects if o.type == "MESH"]
    points = sum(len(o.data.vertices) for o in meshes)
    faces = sum(len(o.data.polygons) for o in meshes)
    triangles = sum(len(p.vertices) - 2 for o in meshes for p in o.data.polygons)
    print(f"{path} objects={len(meshes)} points={points} faces={faces} triangles={triangles}")


def only(obj):
    for o in bpy.context.scene.objects:
        o.select_set(o == obj)
    bpy.context.view_layer.objects.active = obj


def export_models(folder):
    bpy.ops.wm.read_factory_settings()
    cube = bpy.context.scene.objects["Cube"]
    bpy.ops.mesh.primitive_monkey_add(location=(4, 0, 0))
    monkey = bpy.context.active_object
    monkey.modifiers.new("Subdivision", "SUBSURF").levels = 1
    depsgraph = bpy.context.evaluated_depsgraph_get()
    for name, obj in (("cube", cube), ("monkey", monkey)):
        mesh = obj.evaluated_get(depsgraph).to_mesh()
        points = len(mesh.vertices)
        triangles = sum(len(p.vertices) - 2 for p in mesh.polygons)
        only(obj)
        for suffix, export in FORMATS:
            path = os.path.join(folder, f"blender-{name}.{suffix}")
            export(path)
            print(f"{path} points={points} triangles={triangles}")


args = sys.argv[sys.argv.index("--") + 1:]
if args[0] == "import":
    for path in args[1:]:
        import_file(path)
elif args[0] == "export":
    export_models(args[1])
