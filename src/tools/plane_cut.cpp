#include "tools/plane_cut.h"

#include "editor/detail_view_controller.h"
#include "tools/point_merge.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <cmath>

namespace tessel {

std::shared_ptr<PlaneCut> PlaneCut::make(DetailViewController& context) {
    std::shared_ptr<PlaneCut> tool(new PlaneCut(context));
    context.selectedFacesIds.clear();
    if (const ModelPtr model = selectedModel(context)) {
        installPreview(*model, [tool](Model& m) { return tool->preview(m); });
    }
    return tool;
}

void PlaneCut::onMouseDown(Vec2 position, Viewport& view) {
    const ModelPtr model = selectedModel(context_);
    if (!model) {
        return;
    }
    context_.selectedFacesIds.clear();

    // The patch that is shown takes the press; before the first preview, the mesh does.
    LayerPtr layer;
    if (model->modifier_ && model->modifier_->result && model->modifier_->result->tool) {
        layer = firstLayer(*model->modifier_->result->tool, "PlaneCut.onMouseDown");
    } else {
        layer = firstLayer(*model, "PlaneCut.onMouseDown");
    }

    const Vec2 pointer = devicePosition(position);
    const Matrix inverse = view.node()->matrix().inverted();
    const Vector3 a = unproject(pointer.x, pointer.y, 0, inverse);
    const Vector3 d = unproject(pointer.x, pointer.y, 0.1f, inverse) - a;

    for (size_t i = 0; i < layer->polygons.size(); ++i) {
        const Polygon& polygon = *layer->polygons[i];
        if (!polygon.isTriangle()) {
            continue;
        }
        const auto& triangle = static_cast<const Triangle&>(polygon);
        const Vector3 n = triangle.normal().normalized();
        const Vector3 c = triangle.centroid();
        const float den = d.dot(n);
        if (den == 0) {
            continue;
        }
        const float t = -n.dot(a - c) / den;
        if (t < 0) {
            continue;
        }
        const Vector3 hit = a + d * t;
        if (triangle.contains(hit)) {
            intersection = hit;
            context_.selectedFacesIds.push_back(static_cast<std::uint32_t>(i));
            break;
        }
    }
    frozenNormal = normal;
}

void PlaneCut::onMouseDragged(Vec2 delta, Viewport& view) {
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
    const Vec2 s = devicePosition(view.normalizedMouseStartLocation);
    const Vec2 p = devicePosition(view.normalizedPointerPosition);
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

void PlaneCut::onMouseUp(Vec2 /*position*/, Viewport& /*view*/) {
    intersection.reset();
    frozenNormal.reset();
}

ModifierResult PlaneCut::preview(Model& model) {
    if (!cachedModel || cachedModel.get() != &model) {
        cachedModel = model.copy();
    }
    const LayerPtr layer = firstLayer(*cachedModel, "PlaneCut.preview");
    const Vector3 n = normal.normalized();
    const Vector3 o = cuttingPlaneOrigin;
    cutAlongPlane(*layer, n, o, mergeMemo_);
    return {cachedModel, Model::makePlane(Plane::through(n, o))};
}

void splitAlongPlane(Layer& layer, const Vector3& n, const Vector3& o) {
    const size_t count = layer.polygons.size();
    for (size_t i = 0; i < count; ++i) {
        const Polygon& polygon = *layer.polygons[i];
        if (!polygon.isTriangle()) {
            continue;
        }
        const auto& triangle = static_cast<const Triangle&>(polygon);
        const Vector3 r[3] = {triangle.a()->position, triangle.b()->position,
                              triangle.c()->position};
        int crossed[3];
        float at[3];
        int crossings = 0;
        for (int k = 0; k < 3; ++k) {
            const Vector3& a = r[k];
            const Vector3& b = r[(k + 1) % 3];
            const float t = -n.dot(a - o) / n.dot(b - a);
            // Not-a-number fails both tests; an infinity fails one.
            if (t >= 0 && t <= 1) {
                crossed[crossings] = k;
                at[crossings] = t;
                ++crossings;
            }
        }
        if (crossings == 2) {
            layer.splitTriangle(i, {crossed[0], crossed[1]}, {at[0], at[1]});
        }
    }
}

void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin) {
    splitAlongPlane(layer, unitNormal, origin);
    mergeCoincidentPoints(layer);
}

void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin,
                   PointMergeMemo& memo) {
    const size_t settled = layer.points.size();
    splitAlongPlane(layer, unitNormal, origin);
    mergeCoincidentPoints(layer, settled, memo);
}

} // namespace tessel
