#include "tools/plane_cut.h"

#include "mesh/plane_cut.h"
#include "mesh/polygon.h"
#include "mesh/triangle.h"
#include "tools/tool_context.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <cmath>

namespace tessel {

std::shared_ptr<PlaneCut> PlaneCut::make(ToolContext& context) {
    std::shared_ptr<PlaneCut> tool(new PlaneCut(context));
    context.selectedFacesIds().clear();
    if (const ModelPtr model = selectedModel(context)) {
        installPreview(*model, tool);
    }
    return tool;
}

void PlaneCut::press(Vec2 position, Viewport& view) {
    const ModelPtr model = selectedModel(context_);
    if (!model) {
        return;
    }
    context_.selectedFacesIds().clear();
    frozenNormal = normal;

    const Vec2 pointer = devicePosition(position);
    const Matrix inverse = view.viewProjection().inverted();
    const Vector3 a = unproject(pointer.x, pointer.y, 0, inverse);
    const Vector3 d = unproject(pointer.x, pointer.y, 0.1f, inverse) - a;

    // The patch that is shown takes the press, on its inner edges too: the axis views put them
    // under whole rows and columns of pixels. It is no face of the mesh, so a hit on it selects
    // none (its ids would name unrelated faces of the mesh).
    if (const LayerPtr patch = model->toolLayer()) {
        const std::vector<Vector3>& p = patch->positions;
        for (const FaceList::Face t : patch->faces) {
            if (const auto hit = triangle::closedIntersection(p[t[0]], p[t[1]], p[t[2]], a, d)) {
                intersection = hit;
                return;
            }
        }
        return;
    }

    // Before the first preview, the mesh takes it: the first face in id order that the ray meets,
    // not the nearest.
    const LayerPtr layer = model->layer();
    const std::vector<Vector3>& p = layer->positions;
    for (size_t i = 0; i < layer->faces.size(); ++i) {
        if (const auto hit = polygon::intersection(p, layer->faces[i], a, d)) {
            intersection = hit;
            context_.selectedFacesIds().push_back(static_cast<std::uint32_t>(i));
            return;
        }
    }
}

void PlaneCut::drag(Vec2 delta, Viewport& view) {
    if (!selectedModel(context_)) {
        return;
    }
    if (intersection) {
        const Vector3 q = project(*intersection, view);
        const Vector3 target = unproject(q.x + delta.x, q.y + delta.y, q.z + 0, view);
        cuttingPlaneOrigin += target - *intersection;
        intersection = target;
        return;
    }
    if (!frozenNormal) {
        // Only a drag that did not start with this tool's press gets here.
        return;
    }
    const Vector3 o = project(cuttingPlaneOrigin, view);
    const Vec2 s = devicePosition(view.pressPosition);
    const Vec2 p = devicePosition(view.pointerPosition);
    const Vector3 v{p.x - o.x, p.y - o.y, 0};
    if (!(v.length() > 0)) {
        return;
    }
    const Vector3 u{s.x - o.x, s.y - o.y, 0};
    if (!(u.length() > 0)) {
        return;
    }
    // Rounding can push the cosine of parallel directions just past 1, where arccos has no value.
    const float cosine = std::clamp(u.normalized().dot(v.normalized()), -1.0f, 1.0f);
    const float angle = std::acos(cosine);
    const float k = u.y * v.x - u.x * v.y;
    const float signedAngle = k > 0 ? angle : -angle;
    normal = (Matrix::rotationForZ(signedAngle) * Vector4(*frozenNormal, 1)).dehomogenized();
}

void PlaneCut::release(Vec2 /*position*/, Viewport& /*view*/) {
    intersection.reset();
    frozenNormal.reset();
}

ModifierResult PlaneCut::evaluate(const Layer& committed) {
    // A plane crosses a few faces per row of a mesh: room for them, grown only when more.
    const auto room =
        static_cast<size_t>(4 * std::sqrt(static_cast<double>(committed.faces.size()))) + 64;
    LayerPtr layer = copyOf(committed, room, 2 * room);
    const Vector3 n = normal.normalized();
    const Vector3 o = cuttingPlaneOrigin;
    cutAlongPlane(*layer, n, o);
    return {layer, Model::makePlane(Plane::through(n, o))->committed()};
}

size_t PlaneCut::trianglesAfter(const Layer& committed) const {
    return committed.faces.triangleCount() +
           trianglesAddedByCut(committed, normal.normalized(), cuttingPlaneOrigin);
}

} // namespace tessel
