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
#include <thread>

namespace tessel {

namespace {

namespace Far = OpenSubdiv::Far;
namespace Sdc = OpenSubdiv::Sdc;

using RefinerPtr = std::unique_ptr<Far::TopologyRefiner>;

// From how many refined faces a one-off refinement copies them on a second thread.
constexpr int kFacesCopiedAside = 100'000;

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
    const size_t faces = static_cast<size_t>(last.GetNumFaces());
    const std::uint32_t perFace = scheme == SubdivisionScheme::Loop ? 3 : 4;
    if (faces == 0) {
        return {};
    }
    // Refined faces all have perFace corners, kept face after face in one array: copied at once
    // when they are (the indices are below 2^31, so converting them keeps their values).
    const Far::Index* first = last.GetFaceVertices(0).begin();
    const Far::Index* end = first + faces * perFace;
    if (last.GetFaceVertices(static_cast<Far::Index>(faces - 1)).end() == end) {
        return FaceList(std::vector<std::uint32_t>(first, end), perFace);
    }
    std::vector<std::uint32_t> corners;
    corners.reserve(faces * perFace);
    for (size_t f = 0; f < faces; ++f) {
        for (const Far::Index v : last.GetFaceVertices(static_cast<Far::Index>(f))) {
            corners.push_back(static_cast<std::uint32_t>(v));
        }
    }
    return FaceList(std::move(corners), perFace);
}

// Positions as OpenSubdiv's level-by-level interpolation reads and sums them, in place in arrays
// of points.
struct Sum {
    Vector3& p;
    void Clear(void* /*options*/ = nullptr) { p = {0, 0, 0}; }
    void AddWithWeight(const Vector3& source, float weight) {
        p.x += weight * source.x;
        p.y += weight * source.y;
        p.z += weight * source.z;
    }
    void AddWithWeight(const Sum& source, float weight) { AddWithWeight(source.p, weight); }
};
struct Source {
    const Vector3* points;
    const Vector3& operator[](Far::Index i) const { return points[i]; }
};
struct Target {
    Vector3* points;
    Sum operator[](Far::Index i) const { return {points[i]}; }
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
    // This thread sums each level's points from the last's, the last level's into the result;
    // the faces of a large result are copied on a second thread meanwhile.
    Layer result;
    std::jthread copier;
    if (refiner->GetLevel(level).GetNumFaces() >= kFacesCopiedAside) {
        copier = std::jthread([&] { result.faces = lastLevelFaces(*refiner, scheme); });
    } else {
        result.faces = lastLevelFaces(*refiner, scheme);
    }
    const Far::PrimvarRefiner interpolation(*refiner);
    std::vector<Vector3> points;
    std::vector<Vector3> next;
    Source source{cage.positions.data()};
    for (int k = 1; k <= level; ++k) {
        std::vector<Vector3>& refined = k == level ? result.positions : next;
        refined.resize(static_cast<size_t>(refiner->GetLevel(k).GetNumVertices()));
        Target target{refined.data()};
        interpolation.Interpolate(k, source, target);
        source.points = refined.data();
        points.swap(next);
    }
    if (copier.joinable()) {
        copier.join();
    }
    return result;
}

} // namespace tessel
