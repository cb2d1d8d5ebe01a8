# The layer workloads on Blender's mesh editing API (bmesh), on the QuadGenerator grids, under the
# names of ours, for scripts/bench --peers. Run headless:
#   blender -b --factory-startup --python-exit-code 1 -P bench/peer/blender_peer.py -- \
#       --out result.json [--repetitions 5] [--min-time 0.5]
# Writes Google Benchmark's JSON layout (one entry per repetition, CPU time in ms).
#
#   LayerCopy         bm.copy()
#   SubdivideAll      bm.copy(), then bmesh.ops.poke of every face
#   PlaneCutPreview   bm.copy(), then bisect_plane at x = 0.001 and triangulate of the cut faces:
#                     the whole cut, as our Plane-cut preview does it (copy, one shared point per
#                     crossed edge, the crossed triangles split)
#   WeldEight         bm.copy(), then pointmerge of the eight points around the centre at their mean
#   RayIntersections  a BVH tree of the grid built, then one ray cast down through the centre cell
#                     (ours tests the ray against every triangle, with no structure to build)
#   TransformMove     on the grid of 999,698 triangles, translate of every tenth point; likewise
#   TransformRotate   rotate about their centroid and scale about it, all in place, each call
#   TransformScale    undoing the last one's turn or factor so that the grid stays as it was (ours
#                     makes a preview layer: the committed positions copied, those points moved)
#   SubdivisionLevel3 on the grid of 316 × 316 quads (99,856 faces), a Subdivision Surface
#                     modifier at level 3 ("Keep Corners" boundaries, "Use Limit Surface" off: the
#                     refined points, as ours) evaluated by the dependency graph (6,390,784 quads)
import argparse
import json
import sys
import time

import bmesh
import bpy
from mathutils import Matrix, Vector
from mathutils.bvhtree import BVHTree

SIZES = {100352: 224, 200978: 317}
TRANSFORM_SIZES = {999698: 707}
SUBDIVISION_SIZES = {99856: 316}


def grid(n):
    """(n + 1)² points row by row over −0.5 … 0.5 in z = 0, two counter-clockwise triangles per
    cell: (p00, p10, p11) and (p00, p11, p01)."""
    bm = bmesh.new()
    verts = [bm.verts.new((i / n - 0.5, j / n - 0.5, 0.0)) for j in range(n + 1) for i in range(n + 1)]
    row = n + 1
    for j in range(n):
        for i in range(n):
            k = j * row + i
            bm.faces.new((verts[k], verts[k + 1], verts[k + row + 1]))
            bm.faces.new((verts[k], verts[k + row + 1], verts[k + row]))
    bm.verts.ensure_lookup_table()
    bm.faces.ensure_lookup_table()
    return bm


def layer_copy(source, n):
    copy = source.copy()
    return copy


def subdivide_all(source, n):
    bm = source.copy()
    bmesh.ops.poke(bm, faces=bm.faces[:])
    return bm


def plane_cut_preview(source, n):
    bm = source.copy()
    result = bmesh.ops.bisect_plane(bm, geom=bm.verts[:] + bm.edges[:] + bm.faces[:],
                                    plane_co=(0.001, 0, 0), plane_no=(1, 0, 0))
    cut = {f for e in result["geom_cut"] if isinstance(e, bmesh.types.BMEdge) for f in e.link_faces}
    bmesh.ops.triangulate(bm, faces=[f for f in cut if len(f.verts) > 3])
    return bm


def weld_eight(source, n):
    bm = source.copy()
    bm.verts.ensure_lookup_table()
    c = n // 2
    ring = [bm.verts[(c + dj) * (n + 1) + c + di]
            for dj in (-1, 0, 1) for di in (-1, 0, 1) if di or dj]
    mean = sum((v.co for v in ring), Vector()) / len(ring)
    bmesh.ops.pointmerge(bm, verts=ring, merge_co=mean)
    return bm


def ray_intersections(source, n):
    tree = BVHTree.FromBMesh(source)
    return tree.ray_cast(Vector((0.0007, 0.0003, 1)), Vector((0, 0, -1)))


def transforms(source):
    """The three transform workloads on every tenth point of the grid."""
    source.verts.ensure_lookup_table()
    verts = [source.verts[i] for i in range(0, len(source.verts), 10)]
    centre = sum((v.co for v in verts), Vector()) / len(verts)
    calls = [0]

    def sign():
        calls[0] += 1
        return 1 if calls[0] % 2 else -1

    def move(bm, n):
        s = sign()
        bmesh.ops.translate(bm, vec=(0.01 * s, 0.005 * s, 0), verts=verts)

    def rotate(bm, n):
        bmesh.ops.rotate(bm, cent=centre, matrix=Matrix.Rotation(0.1 * sign(), 3, "Z"), verts=verts)

    def scale(bm, n):
        factor = 1.1 if sign() > 0 else 1 / 1.1
        bmesh.ops.scale(bm, vec=(factor, factor, factor), space=Matrix.Translation(-centre),
                        verts=verts)

    return [("TransformMove", move), ("TransformRotate", rotate), ("TransformScale", scale)]


WORKLOADS = [
    ("LayerCopy", layer_copy),
    ("SubdivideAll", subdivide_all),
    ("PlaneCutPreview", plane_cut_preview),
    ("WeldEight", weld_eight),
    ("RayIntersections", ray_intersections),
]


def quad_grid_object(n):
    """An object of n × n quads over −0.5 … 0.5 in z = 0, as QuadGenerator's quad layer."""
    row = n + 1
    points = [(i / n - 0.5, j / n - 0.5, 0.0) for j in range(n + 1) for i in range(n + 1)]
    faces = [(j * row + i, j * row + i + 1, (j + 1) * row + i + 1, (j + 1) * row + i)
             for j in range(n) for i in range(n)]
    mesh = bpy.data.meshes.new("cage")
    mesh.from_pydata(points, [], faces)
    obj = bpy.data.objects.new("cage", mesh)
    bpy.context.scene.collection.objects.link(obj)
    return obj


def subdivision_level3(obj, n):
    """The modifier evaluated again: the cage tagged as changed, the graph updated."""
    obj.data.update()
    graph = bpy.context.evaluated_depsgraph_get()
    graph.update()
    return len(obj.evaluated_get(graph).data.polygons)


def subdivision_object(n):
    obj = quad_grid_object(n)
    modifier = obj.modifiers.new("Subdivision", "SUBSURF")
    modifier.levels = 3
    modifier.use_limit_surface = False
    return obj


def measure(function, source, n, min_time):
    """CPU milliseconds of one call, averaged over as many calls as fill min_time. Freeing the
    result is not timed (ours times the release of its layer, two arrays)."""
    total = 0.0
    calls = 0
    while total < min_time or calls == 0:
        start = time.process_time()
        result = function(source, n)
        total += time.process_time() - start
        calls += 1
        if isinstance(result, bmesh.types.BMesh):
            result.free()
    return 1000 * total / calls, calls


def main():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--min-time", type=float, default=0.5)
    parser.add_argument("--filter", default="")
    args = parser.parse_args(argv)

    entries = []
    names = [name for name, _ in WORKLOADS]
    transform_names = ["TransformMove", "TransformRotate", "TransformScale"]
    grids = [(size, n, names) for size, n in SIZES.items()]
    grids += [(size, n, transform_names) for size, n in TRANSFORM_SIZES.items()]
    for triangles, n, workload_names in grids:
        runs = [f"{name}/{triangles}" for name in workload_names]
        if args.filter and not any(args.filter in run for run in runs):
            continue
        source = grid(n)
        workloads = WORKLOADS if workload_names is names else transforms(source)
        for name, function in workloads:
            run_name = f"{name}/{triangles}"
            if args.filter and args.filter not in run_name:
                continue
            for repetition in range(args.repetitions):
                ms, calls = measure(function, source, n, args.min_time)
                entries.append({"name": run_name, "run_name": run_name, "run_type": "iteration",
                                "repetition_index": repetition, "iterations": calls,
                                "cpu_time": ms, "real_time": ms, "time_unit": "ms"})
                print(f"{run_name}: {ms:.2f} ms", file=sys.stderr)
        source.free()
    for faces, n in SUBDIVISION_SIZES.items():
        run_name = f"SubdivisionLevel3/{faces}"
        if args.filter and args.filter not in run_name:
            continue
        obj = subdivision_object(n)
        # The first evaluation builds what the modifier keeps from one evaluation to the next.
        if subdivision_level3(obj, n) != 64 * faces:
            raise RuntimeError("the modifier made another number of faces")
        for repetition in range(args.repetitions):
            ms, calls = measure(subdivision_level3, obj, n, args.min_time)
            entries.append({"name": run_name, "run_name": run_name, "run_type": "iteration",
                            "repetition_index": repetition, "iterations": calls,
                            "cpu_time": ms, "real_time": ms, "time_unit": "ms"})
            print(f"{run_name}: {ms:.2f} ms", file=sys.stderr)
    with open(args.out, "w") as f:
        json.dump({"benchmarks": entries}, f, indent=1)


main()
