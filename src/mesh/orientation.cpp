#include "mesh/orientation.h"

#include "mesh/polygon.h"
#include "mesh/region.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tessel {

void flipFaces(Layer& layer, std::span<const std::uint32_t> faces) {
    for (const std::uint32_t f : distinctFaces(layer, faces)) {
        const std::span<std::uint32_t> corners = layer.faces.cornersOf(f);
        std::reverse(corners.begin() + 1, corners.end());
    }
}

std::vector<std::uint32_t> orientOutward(Layer& layer, std::span<const std::uint32_t> faces) {
    std::vector<std::uint32_t> all;
    if (faces.empty()) {
        all.resize(layer.faces.size());
        std::iota(all.begin(), all.end(), 0u);
        faces = all;
    }
    const Region region = regionOf(layer, faces);
    const std::size_t count = region.faces.size();
    std::vector<std::uint32_t> faceOfSide(region.sideCount());
    for (std::uint32_t i = 0; i < count; ++i) {
        std::fill(faceOfSide.begin() + region.starts[i], faceOfSide.begin() + region.starts[i + 1],
                  i);
    }

    constexpr std::uint8_t kUnmet = 2;
    std::vector<std::uint8_t> flip(count, kUnmet);
    std::vector<std::uint32_t> piece;
    for (std::uint32_t seed = 0; seed < count; ++seed) {
        if (flip[seed] != kUnmet) {
            continue;
        }
        // Wind the piece as its first face.
        piece.assign(1, seed);
        flip[seed] = 0;
        for (std::size_t next = 0; next < piece.size(); ++next) {
            const std::uint32_t i = piece[next];
            for (std::uint32_t s = region.starts[i]; s < region.starts[i + 1]; ++s) {
                const std::uint32_t m = region.mates[s];
                if (m == kNoSide || flip[faceOfSide[m]] != kUnmet) {
                    continue;
                }
                const bool sameWay = region.corners[m] == region.corners[s];
                flip[faceOfSide[m]] = flip[i] ^ static_cast<std::uint8_t>(sameWay);
                piece.push_back(faceOfSide[m]);
            }
        }

        // Outward: the faces, as now wound, face away from the piece's middle.
        const std::vector<Vector3>& p = layer.positions;
        double middle[3] = {0, 0, 0};
        std::vector<Vector3> centroids(piece.size());
        for (std::size_t j = 0; j < piece.size(); ++j) {
            centroids[j] = polygon::centroid(p, layer.faces[region.faces[piece[j]]]);
            middle[0] += centroids[j].x, middle[1] += centroids[j].y, middle[2] += centroids[j].z;
        }
        for (double& m : middle) {
            m /= static_cast<double>(piece.size());
        }
        double facing = 0, scale = 0;
        for (std::size_t j = 0; j < piece.size(); ++j) {
            const auto area = polygon::areaVector(p, layer.faces[region.faces[piece[j]]]);
            const double d[3] = {centroids[j].x - middle[0], centroids[j].y - middle[1],
                                 centroids[j].z - middle[2]};
            const double term = d[0] * area[0] + d[1] * area[1] + d[2] * area[2];
            facing += flip[piece[j]] ? -term : term;
            scale += std::sqrt((d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) *
                               (area[0] * area[0] + area[1] * area[1] + area[2] * area[2]));
        }
        // Rounding leaves a flat piece a sum far below its terms: that is no direction.
        if (facing < -1e-9 * scale) {
            for (const std::uint32_t i : piece) {
                flip[i] ^= 1;
            }
        }
    }

    std::vector<std::uint32_t> flipped;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (flip[i]) {
            flipped.push_back(region.faces[i]);
        }
    }
    std::sort(flipped.begin(), flipped.end());
    flipFaces(layer, flipped);
    return flipped;
}

} // namespace tessel
