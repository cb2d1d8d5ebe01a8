# Blender's side of the subdivision check in scripts/interop, run headless:
#   blender -b --factory-startup --python-exit-code 1 -P blender_subdivision.py -- <folder>
# For each cage <name>.obj that tessel_subdivision_interop wrote, and each level L it refined it
# to, gives the cage a Subdivision Surface modifier at level L (Catmull-Clark; "Use Limit
# Surface" off, so that the points are the refined ones, as ours) with the boundary smoothed as by
# default ("All": ours with border corners smoothed, <name>-<L>.obj) and with "Keep Corners"
# (<name>-<L>-keep.obj), and compares the evaluated mesh with ours: point and face counts, and the
# distance from each point of either to the other's nearest (the two number their points in their
# own orders), as a share of the cage's largest extent. Prints one line per cage, level and boundary,
# "<name> level=L boundary=B points=P/P faces=F/F distance=D agree|DIFFER", and exits with 1 when
# any differs. A cage's "# crease <a> <b> <weight>" lines set the edge creases of its mesh (the
# modifier's "Use Creases" is on by default).
import os
import sys

import bpy
import mathutils.kdtree

TOLERANCE = 1e-4
BOUNDARIES = [("ALL", ""), ("PRESERVE_CORNERS", "-keep")]


def read_obj(path, creases=None):
    points, faces = [], []
    for line in open(path):
        fields = line.split()
        if creases is not None and fields[:2] == ["#", "crease"]:
            creases[(int(fields[2]) - 1, int(fields[3]) - 1)] = float(fields[4])
        elif fields and fields[0] == "v":
            points.append(tuple(float(x) for x in fields[1:4]))
        elif fields and fields[0] == "f":
            faces.append(tuple(int(x.split("/")[0]) - 1 for x in fields[1:]))
    return points, faces


def evaluated(points, faces, creases, level, boundary):
    mesh = bpy.data.meshes.new("cage")
    mesh.from_pydata(points, [], faces)
    for edge in mesh.edges:
        pair = tuple(sorted(edge.vertices))
        if pair in creases:
            edge.crease = creases[pair]
    obj = bpy.data.objects.new("cage", mesh)
    bpy.context.scene.collection.objects.link(obj)
    modifier = obj.modifiers.new("Subdivision", "SUBSURF")
    modifier.levels = level
    modifier.use_limit_surface = False
    modifier.boundary_smooth = boundary
    graph = bpy.context.evaluated_depsgraph_get()
    result = obj.evaluated_get(graph).data
    return [tuple(v.co) for v in result.vertices], len(result.polygons)


def farthest(points, others):
    """The largest distance from one of the points to the nearest of the others."""
    if not points or not others:
        return 0.0 if len(points) == len(others) else float("inf")
    tree = mathutils.kdtree.KDTree(len(others))
    for i, p in enumerate(others):
        tree.insert(p, i)
    tree.balance()
    return max(tree.find(p)[2] for p in points)


def main():
    folder = sys.argv[sys.argv.index("--") + 1]
    ok = True
    for name in ("box", "grid", "cylinder", "creased-box", "creased-cylinder"):
        creases = {}
        cage_points, cage_faces = read_obj(os.path.join(folder, f"{name}.obj"), creases)
        size = max(max(p[k] for p in cage_points) - min(p[k] for p in cage_points)
                   for k in range(3))
        for level, (boundary, suffix) in [(level, b) for level in (1, 2) for b in BOUNDARIES]:
            ours, our_faces = read_obj(os.path.join(folder, f"{name}-{level}{suffix}.obj"))
            theirs, their_faces = evaluated(cage_points, cage_faces, creases, level, boundary)
            distance = max(farthest(ours, theirs), farthest(theirs, ours)) / size
            same = (len(ours) == len(theirs) and len(our_faces) == their_faces
                    and distance <= TOLERANCE)
            ok &= same
            print(f"{name} level={level} boundary={boundary} points={len(ours)}/{len(theirs)} "
                  f"faces={len(our_faces)}/{their_faces} distance={distance:.2e} "
                  f"{'agree' if same else 'DIFFER'}")
    sys.exit(0 if ok else 1)


main()
