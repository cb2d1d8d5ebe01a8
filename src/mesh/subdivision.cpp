#include "mesh/subdivision.h"

#include "mesh/crease.h"

#include <opensubdiv/far/error.h>
#include <opensubdiv/far/primvarRefiner.h>
#include <opensubdiv/far/stencilTable.h>
#include <opensubdiv/far/stencilTableFactory.h>
#include <opensubdiv/far/topologyDescriptor.h>
#include <opensubdiv/far/topologyRefinerFactory.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tessel {

namespace {

namespace Far = OpenSubdiv::Far;
namespace Sdc = OpenSubdiv::Sdc;

using RefinerPtr = std::unique_ptr<Far::TopologyRefiner>;

int clampedLevel(int level) {
    return std::clamp(level, kMinSubdivisionLevel, kMaxSubdivisionLevel);
}

void ignore(Far::ErrorType /*type*/, const char* /*message*/) {}
void ignoreWarning(const char* /*message*/) {}

// The cage's creased edges as the descriptor takes them: point pairs and their sharpness. A crease
// of weight w is sharpness 10·w² (10 is infinitely sharp), as the modeller's peers map it.
struct CreaseArrays {
    std::vector<Far::Index> pairs;
    std::vector<float> sharpness;

    explicit CreaseArrays(const Layer& cage) {
        for (const Crease& c : creasesOnEdges(cage)) {
            pairs.push_back(static_cast<Far::Index>(c.a));
            pairs.push_back(static_cast<Far::Index>(c.b));
            sharpness.push_back(std::min(10.0f * c.weight * c.weight, 10.0f));
        }
    }
    void describe(Far::TopologyDescriptor& descriptor) const {
        descriptor.numCreases = static_cast<int>(sharpness.size());
        descriptor.creaseVertexIndexPairs = pairs.data();
        descriptor.creaseWeights = sharpness.data();
    }
};

// The cage's topology refined `level` times, or null when OpenSubdiv refuses it (a face or a
// point with more than 65,535 neighbours), which it would otherwise print.
RefinerPtr refine(const Layer& cage, SubdivisionScheme scheme, int level,
                  SubdivisionBoundary boundary) {
    static const bool quiet = [] {
        Far::SetErrorCallback(ignore);
        Far::SetWarningCallback(ignoreWarning);
        return true;
    }();
    (void)quiet;
    const std::vector<std::uint32_t> counts = cage.faces.counts();
    Far::TopologyDescriptor descriptor;
    descriptor.numVertices = static_cast<int>(cage.positions.size());
    descriptor.numFaces = static_cast<int>(cage.faces.size());
    // Counts and corners are below 2^31 (kMaxTriangles keeps layers far smaller), so reading them
    // as the signed ints the descriptor takes keeps their values.
    descriptor.numVertsPerFace = reinterpret_cast<const int*>(counts.data());
    descriptor.vertIndicesPerFace =
        reinterpret_cast<const Far::Index*>(cage.faces.corners().data());
    const CreaseArrays creases(cage);
    creases.describe(descriptor);

    Sdc::Options options;
    // Boundary edges are sharp; corners too, when kept.
    options.SetVtxBoundaryInterpolation(boundary == SubdivisionBoundary::KeepCorners
                                            ? Sdc::Options::VTX_BOUNDARY_EDGE_AND_CORNER
                                            : Sdc::Options::VTX_BOUNDARY_EDGE_ONLY);
    using Factory = Far::TopologyRefinerFactory<Far::TopologyDescriptor>;
    const Sdc::SchemeType type =
        scheme == SubdivisionScheme::Loop ? Sdc::SCHEME_LOOP : Sdc::SCHEME_CATMARK;
    RefinerPtr refiner(Factory::Create(descriptor, Factory::Options(type, options)));
    if (!refiner) {
        return nullptr;
    }
    refiner->RefineUniform(Far::TopologyRefiner::UniformOptions(level));
    return refiner;
}

// The faces of the refiner's last level, in its order.
FaceList lastLevelFaces(const Far::TopologyRefiner& refiner, SubdivisionScheme scheme) {
    const Far::TopologyLevel& last = refiner.GetLevel(refiner.GetMaxLevel());
    const int faces = last.GetNumFaces();
    const std::uint32_t perFace = scheme == SubdivisionScheme::Loop ? 3 : 4;
    std::vector<std::uint32_t> corners;
    corners.reserve(static_cast<size_t>(faces) * perFace);
    for (int f = 0; f < faces; ++f) {
        for (const Far::Index v : last.GetFaceVertices(f)) {
            corners.push_back(static_cast<std::uint32_t>(v));
        }
    }
    return FaceList(std::move(corners), perFace);
}

// A point as OpenSubdiv's level-by-level interpolation adds it up.
struct Point {
    Vector3 p;
    void Clear(void* = nullptr) { p = {0, 0, 0}; }
    void AddWithWeight(const Point& source, float weight) {
        p.x += weight * source.p.x;
        p.y += weight * source.p.y;
        p.z += weight * source.p.z;
    }
};

} // namespace

SubdivisionScheme subdivisionSchemeOf(const Layer& cage) {
    return !cage.faces.empty() && cage.faces.allTriangles() ? SubdivisionScheme::Loop
                                                            : SubdivisionScheme::CatmullClark;
}

std::size_t subdivisionTriangles(const Layer& cage, int level) {
    level = clampedLevel(level);
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    // Loop: every triangle becomes four; Catmull-Clark: a face of n corners n quads, then every
    // quad four, each quad drawn as two triangles.
    std::size_t triangles = subdivisionSchemeOf(cage) == SubdivisionScheme::Loop
                                ? cage.faces.size()
                                : 2 * cage.faces.corners().size();
    for (int k = subdivisionSchemeOf(cage) == SubdivisionScheme::Loop ? 0 : 1; k < level; ++k) {
        triangles = triangles > kMax / 4 ? kMax : 4 * triangles;
    }
    return triangles;
}

// The weights of every refined point: OpenSubdiv's stencils, one run of (cage point, weight)
// pairs per refined point.
struct SubdivisionSurface::Weights {
    std::unique_ptr<const Far::StencilTableReal<float>> table;
};

SubdivisionSurface::SubdivisionSurface(const Layer& cage, int level, SubdivisionBoundary boundary)
    : scheme_(subdivisionSchemeOf(cage)), level_(clampedLevel(level)), boundary_(boundary),
      cageFaces_(cage.faces), cagePoints_(cage.positions.size()), cageCreases_(cage.creases) {
    if (cage.faces.empty()) {
        return;
    }
    const RefinerPtr refiner = refine(cage, scheme_, level_, boundary_);
    if (!refiner) {
        // A cage OpenSubdiv cannot take stays as it is.
        faces_ = cage.faces;
        return;
    }
    // The float factory itself: the single-precision wrapper's Create casts down to a type its
    // table is not.
    using Factory = Far::StencilTableFactoryReal<float>;
    Factory::Options options;
    options.generateIntermediateLevels = false;
    options.generateOffsets = true;
    weights_ = std::make_unique<Weights>();
    weights_->table.reset(Factory::Create(*refiner, options));
    faces_ = lastLevelFaces(*refiner, scheme_);
}

SubdivisionSurface::~SubdivisionSurface() = default;

bool SubdivisionSurface::fits(const Layer& cage, int level, SubdivisionBoundary boundary) const {
    return clampedLevel(level) == level_ && boundary == boundary_ &&
           cage.positions.size() == cagePoints_ && cage.faces == cageFaces_ &&
           cage.creases == cageCreases_;
}

std::size_t SubdivisionSurface::pointCount() const {
    if (!weights_) {
        return faces_.empty() ? 0 : cagePoints_;
    }
    return static_cast<std::size_t>(weights_->table->GetNumStencils());
}

void SubdivisionSurface::evaluate(std::span<const Vector3> cagePositions,
                                  std::vector<Vector3>& out) const {
    if (!weights_) {
        out.assign(cagePositions.begin(),
                   faces_.empty() ? cagePositions.begin() : cagePositions.end());
        return;
    }
    const Far::StencilTableReal<float>& table = *weights_->table;
    const std::vector<int>& sizes = table.GetSizes();
    const std::vector<Far::Index>& indices = table.GetControlIndices();
    const std::vector<float>& weights = table.GetWeights();
    const size_t count = sizes.size();
    out.resize(count);
    const Vector3* cage = cagePositions.data();
    const Far::Index* index = indices.data();
    const float* weight = weights.data();
    for (size_t i = 0; i < count; ++i) {
        float x = 0, y = 0, z = 0;
        for (int k = 0; k < sizes[i]; ++k) {
            const Vector3& p = cage[index[k]];
            x += weight[k] * p.x;
            y += weight[k] * p.y;
            z += weight[k] * p.z;
        }
        index += sizes[i];
        weight += sizes[i];
        out[i] = {x, y, z};
    }
}

LayerPtr SubdivisionSurface::layer(std::span<const Vector3> cagePositions) const {
    LayerPtr result = makeLayer({}, faces_);
    evaluate(cagePositions, result->positions);
    return result;
}

Layer subdivisionSurface(const Layer& cage, int level, SubdivisionBoundary boundary) {
    level = clampedLevel(level);
    if (cage.faces.empty()) {
        return {};
    }
    const SubdivisionScheme scheme = subdivisionSchemeOf(cage);
    const RefinerPtr refiner = refine(cage, scheme, level, boundary);
    if (!refiner) {
        return {cage.positions, cage.faces, std::nullopt, cage.creases};
    }
    // Each level's points from the last's.
    std::vector<Point> points(cage.positions.size());
    for (size_t i = 0; i < points.size(); ++i) {
        points[i].p = cage.positions[i];
    }
    const Far::PrimvarRefiner interpolation(*refiner);
    std::vector<Point> next;
    for (int k = 1; k <= level; ++k) {
        next.resize(static_cast<size_t>(refiner->GetLevel(k).GetNumVertices()));
        const Point* source = points.data();
        Point* destination = next.data();
        interpolation.Interpolate(k, source, destination);
        points.swap(next);
    }
    Layer result{{}, lastLevelFaces(*refiner, scheme), std::nullopt, {}};
    result.positions.resize(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        result.positions[i] = points[i].p;
    }
    return result;
}

} // namespace tessel
