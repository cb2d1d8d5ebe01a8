#include "render/guides.h"

#include "base/check.h"
#include "scene/ground_grid.h"
#include "scene/viewport.h"

#include <QFile>
#include <QOpenGLShaderProgram>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace tessel {

namespace {

// The buffer holds the unit grid's major lines (at multiples of 10) along a, then along b, then
// the others the same way; the triad's arms from the origin along x, y and z; then the strokes of
// the letters X, Y and Z in a unit box about the origin.
static_assert(kGridHalfLines % 10 == 0, "the grid ends on major lines");
constexpr int kMajorLinesPerDirection = 2 * kGridHalfLines / 10 + 1;
constexpr int kMajorVertices = 4 * kMajorLinesPerDirection;
constexpr int kGridVertices = 4 * (2 * kGridHalfLines + 1);
constexpr int kArmsFirst = kGridVertices;
struct Stroke {
    float x0, y0, x1, y1;
};
constexpr std::array<Stroke, 8> kStrokes{{
    {-0.5f, -0.5f, 0.5f, 0.5f}, // X
    {-0.5f, 0.5f, 0.5f, -0.5f},
    {-0.5f, 0.5f, 0, 0}, // Y
    {0.5f, 0.5f, 0, 0},
    {0, 0, 0, -0.5f},
    {-0.5f, 0.5f, 0.5f, 0.5f}, // Z
    {0.5f, 0.5f, -0.5f, -0.5f},
    {-0.5f, -0.5f, 0.5f, -0.5f},
}};
constexpr std::array<int, 3> kLetterFirst{kArmsFirst + 6, kArmsFirst + 10, kArmsFirst + 16};
constexpr std::array<int, 3> kLetterVertices{4, 6, 6};

// A thick line is drawn three times, the second a pixel to the side, the third a pixel up.
constexpr int kThick = 3;

// A major grid line: a little darker than the background, so that it reads as a backdrop and
// not as a mesh's light edges.
constexpr std::array<float, 4> kGridColor{0.0f, 0.12f, 0.04f, 0.38f};
// The triad's arms and its letters' distance beyond them, in device units of its square.
constexpr float kArmLength = 0.62f;
constexpr float kLetterGap = 0.2f;

std::vector<float> guideLines() {
    std::vector<float> v;
    const auto add = [&v](float x, float y, float z) { v.insert(v.end(), {x, y, z}); };
    constexpr auto k = static_cast<float>(kGridHalfLines);
    for (const bool major : {true, false}) {
        for (const float along : {0.0f, 1.0f}) {
            for (int i = -kGridHalfLines; i <= kGridHalfLines; ++i) {
                if ((i % 10 == 0) != major) {
                    continue;
                }
                const auto line = static_cast<float>(i);
                add(along == 0 ? -k : line, along == 0 ? line : -k, along);
                add(along == 0 ? k : line, along == 0 ? line : k, along);
            }
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        add(0, 0, 0);
        add(axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f);
    }
    for (const Stroke& s : kStrokes) {
        add(s.x0, s.y0, 0);
        add(s.x1, s.y1, 0);
    }
    return v;
}

// Row-major, as the renderer hands its matrices over.
void setMatrix(QOpenGLFunctions_3_3_Core& gl, int location, const Matrix& m) {
    gl.glUniformMatrix4fv(location, 1, GL_TRUE, m.data.data());
}

} // namespace

Guides::Guides() = default;

Guides::~Guides() = default;

void Guides::initialize() {
    if (m_program) {
        release();
    }
    TESSEL_CHECK(initializeOpenGLFunctions(), "Guides::initialize",
                 "no OpenGL 3.3 core functions in the current context");
    auto program = std::make_unique<QOpenGLShaderProgram>();
    for (const auto& [name, stage] : {std::pair{"guideVertexShader", QOpenGLShader::Vertex},
                                      std::pair{"guideFragmentShader", QOpenGLShader::Fragment}}) {
        QFile file(QStringLiteral(":/shaders/%1.glsl").arg(QLatin1String(name)));
        TESSEL_CHECK(file.open(QIODevice::ReadOnly), "Guides::initialize",
                     "shader stage " << name << " missing from the resources");
        TESSEL_CHECK(program->addShaderFromSourceCode(stage, file.readAll()), "Guides::initialize",
                     "shader stage " << name
                                     << " does not compile: " << program->log().toStdString());
    }
    program->bindAttributeLocation("position", 0);
    TESSEL_CHECK(program->link(), "Guides::initialize",
                 "the guide shaders do not link: " << program->log().toStdString());
    m_uniforms = {program->uniformLocation("matrix"),     program->uniformLocation("onScreen"),
                  program->uniformLocation("pixel"),      program->uniformLocation("color"),
                  program->uniformLocation("centre"),     program->uniformLocation("minorWeight"),
                  program->uniformLocation("axisColors"), program->uniformLocation("axes"),
                  program->uniformLocation("halfLines")};
    m_program = std::move(program);

    const std::vector<float> lines = guideLines();
    glGenVertexArrays(1, &m_vertexArray);
    glGenBuffers(1, &m_buffer);
    glBindVertexArray(m_vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(lines.size() * sizeof(float)),
                 lines.data(), GL_STATIC_DRAW);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
    glEnableVertexAttribArray(0);
    glBindVertexArray(0);
}

void Guides::release() {
    if (!m_program) {
        return;
    }
    m_program.reset();
    glDeleteBuffers(1, &m_buffer);
    glDeleteVertexArrays(1, &m_vertexArray);
    m_buffer = 0;
    m_vertexArray = 0;
}

void Guides::drawGround(const Viewport& view) {
    if (!m_program || !view.camera) {
        return;
    }
    const GroundGrid grid =
        placeGroundGrid(*view.camera, view.aspectRatio, gridPlaneFor(view.viewName));
    GLint pixels[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, pixels);

    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
    m_program->bind();
    glBindVertexArray(m_vertexArray);
    setMatrix(*this, m_uniforms.matrix, view.viewProjection() * grid.placement);
    glUniform1i(m_uniforms.onScreen, 0);
    glUniform2f(m_uniforms.pixel, 2.0f / static_cast<float>(std::max(pixels[2], 1)),
                2.0f / static_cast<float>(std::max(pixels[3], 1)));
    glUniform4fv(m_uniforms.color, 1, kGridColor.data());
    glUniform2f(m_uniforms.centre, grid.centre[0], grid.centre[1]);
    glUniform1f(m_uniforms.minorWeight, grid.minorWeight);
    const std::array<Vector3, 2>& axes = grid.axisColours;
    glUniform3fv(m_uniforms.axisColors, 2, &axes[0].x);
    glUniform1f(m_uniforms.halfLines, static_cast<float>(kGridHalfLines));

    // Lines too faint to see cost a software rasterizer as much as any.
    glUniform1i(m_uniforms.axes, 0);
    glDrawArrays(GL_LINES, 0, grid.minorWeight > 0 ? kGridVertices : kMajorVertices);
    // The axes are the major lines that the world numbers 0, when the grid reaches them.
    glUniform1i(m_uniforms.axes, 1);
    for (int along = 0; along < 2; ++along) {
        const float line = -grid.centre[along == 0 ? 1 : 0];
        if (std::abs(line) <= kGridHalfLines) {
            const int major = (static_cast<int>(line) + kGridHalfLines) / 10;
            glDrawArraysInstanced(GL_LINES, 2 * (along * kMajorLinesPerDirection + major), 2,
                                  kThick);
        }
    }
    glBindVertexArray(0);
    m_program->release();
    glDepthMask(GL_TRUE);
}

void Guides::drawTriad(const Viewport& view) {
    if (!m_program || !view.camera) {
        return;
    }
    GLint pixels[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, pixels);
    const GLint side = std::clamp(std::min(pixels[2], pixels[3]) / 4, 40, 100);
    const GLint margin = side / 12;
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glViewport(pixels[0] + margin, pixels[1] + margin, side, side);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    m_program->bind();
    glBindVertexArray(m_vertexArray);
    glUniform1i(m_uniforms.onScreen, 1);
    glUniform2f(m_uniforms.pixel, 2.0f / static_cast<float>(side), 2.0f / static_cast<float>(side));

    // Farthest arm first, so the nearer ones cross over it.
    const Matrix turn = axisTriad(*view.camera);
    std::array<int, 3> order{0, 1, 2};
    std::sort(order.begin(), order.end(),
              [&turn](int a, int b) { return turn(2, a) > turn(2, b); });
    Matrix arms = turn;
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 2; ++r) {
            arms(r, c) *= kArmLength;
        }
    }
    for (const int axis : order) {
        const Vector3 colour = axisColour(axis);
        glUniform4f(m_uniforms.color, colour.x, colour.y, colour.z, 1.0f);
        setMatrix(*this, m_uniforms.matrix, arms);
        glDrawArraysInstanced(GL_LINES, kArmsFirst + 2 * axis, 2, kThick);

        // The letter beyond the arm's tip; an arm seen end-on puts it away from the other two.
        const float length = std::hypot(turn(0, axis), turn(1, axis));
        float dx = turn(0, axis) / length;
        float dy = turn(1, axis) / length;
        if (!(length > 0.15f)) {
            dx = -(turn(0, (axis + 1) % 3) + turn(0, (axis + 2) % 3));
            dy = -(turn(1, (axis + 1) % 3) + turn(1, (axis + 2) % 3));
            const float away = std::hypot(dx, dy);
            dx = away > 1e-3f ? dx / away : 0.7071f;
            dy = away > 1e-3f ? dy / away : -0.7071f;
        }
        const float reach = kArmLength * length + kLetterGap;
        setMatrix(*this, m_uniforms.matrix,
                  Matrix({0.16f, 0, 0, reach * dx, //
                          0, 0.22f, 0, reach * dy, //
                          0, 0, 1, 0,              //
                          0, 0, 0, 1}));
        glDrawArraysInstanced(GL_LINES, kLetterFirst[static_cast<size_t>(axis)],
                              kLetterVertices[static_cast<size_t>(axis)], kThick);
    }
    glBindVertexArray(0);
    m_program->release();
    glViewport(pixels[0], pixels[1], pixels[2], pixels[3]);
    if (depthTest) {
        glEnable(GL_DEPTH_TEST);
    }
}

} // namespace tessel
