#include "render/renderer.h"

#include "base/check.h"
#include "editor/editor.h"
#include "mesh/layer.h"
#include "scene/mesh.h"
#include "scene/viewport.h"

#include <QFile>
#include <QOpenGLShader>
#include <QOpenGLShaderProgram>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace tessel {

namespace {

bool isVertexStage(const std::string& name) {
    return name == "whiteVertexShader" || name == "vertexShader";
}

Renderer::Timing totals;

// Adds the wall-clock time from construction to destruction to `total`.
class Stopwatch {
public:
    explicit Stopwatch(double& total) : m_total(total), m_start(std::chrono::steady_clock::now()) {}
    ~Stopwatch() {
        m_total +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }
    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

private:
    double& m_total;
    std::chrono::steady_clock::time_point m_start;
};

} // namespace

Renderer::Timing Renderer::timing() { return totals; }

Renderer::Renderer() = default;

Renderer::~Renderer() = default;

void Renderer::initialize() {
    if (m_initialized) {
        release();
    }
    TESSEL_CHECK(initializeOpenGLFunctions(), "Renderer::initialize",
                 "no OpenGL 3.3 core functions in the current context");
    for (const char* name : shaderNames) {
        QFile file(QStringLiteral(":/shaders/%1.glsl").arg(QLatin1String(name)));
        TESSEL_CHECK(file.open(QIODevice::ReadOnly), "Renderer::initialize",
                     "shader stage " << name << " missing from the resources");
        auto shader = std::make_unique<QOpenGLShader>(
            isVertexStage(name) ? QOpenGLShader::Vertex : QOpenGLShader::Fragment);
        TESSEL_CHECK(shader->compileSourceCode(file.readAll()), "Renderer::initialize",
                     "shader stage " << name
                                     << " does not compile: " << shader->log().toStdString());
        m_shaders[name] = std::move(shader);
    }

    glGenVertexArrays(1, &m_vertexArray);
    glGenBuffers(1, &m_positionBuffer);
    glGenBuffers(ListCount, m_indexBuffers.data());
    glBindVertexArray(m_vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, m_positionBuffer);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
    glEnableVertexAttribArray(0);
    glBindVertexArray(0);
    m_guides.initialize();
    m_initialized = true;
}

void Renderer::release() {
    if (!m_initialized) {
        return;
    }
    m_guides.release();
    m_programs.clear();
    m_shaders.clear();
    glDeleteBuffers(ListCount, m_indexBuffers.data());
    glDeleteBuffers(1, &m_positionBuffer);
    glDeleteVertexArrays(1, &m_vertexArray);
    m_indexBuffers.fill(0);
    m_positionBuffer = 0;
    m_vertexArray = 0;
    m_initialized = false;
}

Renderer::Program& Renderer::programFor(const std::string& fragment, const std::string& vertex) {
    auto key = std::make_pair(fragment, vertex);
    if (auto found = m_programs.find(key); found != m_programs.end()) {
        found->second.linked->bind();
        return found->second;
    }
    auto vertexStage = m_shaders.find(vertex);
    auto fragmentStage = m_shaders.find(fragment);
    TESSEL_CHECK(vertexStage != m_shaders.end() && isVertexStage(vertex), "Renderer::programFor",
                 "unknown vertex stage " << vertex);
    TESSEL_CHECK(fragmentStage != m_shaders.end() && !isVertexStage(fragment),
                 "Renderer::programFor", "unknown fragment stage " << fragment);

    Program program;
    program.linked = std::make_unique<QOpenGLShaderProgram>();
    program.linked->addShader(vertexStage->second.get());
    program.linked->addShader(fragmentStage->second.get());
    program.linked->bindAttributeLocation("position", 0);
    TESSEL_CHECK(program.linked->link(), "Renderer::programFor",
                 fragment << " with " << vertex
                          << " does not link: " << program.linked->log().toStdString());
    program.matrix = program.linked->uniformLocation("matrix");
    program.pointSize = program.linked->uniformLocation("pointSize");
    program.opacity = program.linked->uniformLocation("opacity");
    program.drawingPoints = program.linked->uniformLocation("drawingPoints");
    program.linked->bind();
    return m_programs.emplace(std::move(key), std::move(program)).first->second;
}

void Renderer::render(Viewport& view, Editor& owner) {
    TESSEL_CHECK(m_initialized, "Renderer::render", "drawing before initialize()");
    const Stopwatch renderTime(totals.render);

    glClearColor(0.1f, 0.5f, view.isMouseDown ? 0.9f : 0.2f, 1.0f);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_guides.drawGround(view);
    GLint pixels[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, pixels);
    m_pixelCount =
        static_cast<size_t>(std::max(pixels[2], 0)) * static_cast<size_t>(std::max(pixels[3], 0));

    std::vector<DrawItem> items;
    {
        const Stopwatch coreTime(totals.core);
        items = owner.prepareFrame(view);
    }

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glBindVertexArray(m_vertexArray);
    for (const DrawItem& item : items) {
        drawItem(view, item);
    }
    glBindVertexArray(0);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    m_guides.drawTriad(view);
}

void Renderer::drawItem(const Viewport& view, const DrawItem& item) {
    const Layer& layer = *item.layer;
    const LayerDrawData& data = *item.data;
    const std::vector<Vector3>& positions = layer.positions;
    // No index can refer to a point of an empty layer: nothing to draw.
    if (positions.empty()) {
        return;
    }
    const auto bytes = static_cast<GLsizeiptr>(positions.size() * sizeof(Vector3));
    glBindBuffer(GL_ARRAY_BUFFER, m_positionBuffer);
    // Orphaning lets the driver hand out fresh storage while earlier draws still read the old.
    glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, positions.data());

    m_matrix = &item.matrix;
    m_pointSize = item.isSelected ? 10.0f : 1.0f;
    m_opacity = item.isSelectionVolume ? 0.5f : item.material->opacity;
    m_listUploaded.fill(false);

    // A layer that names its own fragment stage (the cutting plane's patch) is drawn with it in
    // every pass, its edges too, so that nothing of it looks like a mesh.
    const std::string layerFragment = layer.fragmentShader.value_or("fragmentShader");
    // With more points than the viewport has pixels, a layer's points and edges would cover all
    // of it and hide its shape, and drawing them would take most of the frame's time (seconds a
    // frame at a million faces with a software rasterizer): when its faces are drawn, its own
    // points and edges are left out. Its selection is still drawn.
    const bool denserThanPixels = view.renderFilled && positions.size() > m_pixelCount;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (view.renderLines) {
        if (!denserThanPixels) {
            draw(GL_LINES, OrdinaryEdges, data.edges.ordinary, layerFragment, "whiteVertexShader");
        }
        // The selected faces' edges are in the ordinary list as well: drawn again, the same
        // lines at the same depth take the selection's colour.
        glDepthFunc(GL_LEQUAL);
        draw(GL_LINES, SelectedEdges, data.edges.selected, "selectedPrimitive",
             "whiteVertexShader");
        glDepthFunc(GL_LESS);
    }
    if (view.renderPoints) {
        if (!denserThanPixels) {
            draw(GL_POINTS, OrdinaryPoints, data.points.ordinary, layerFragment,
                 "whiteVertexShader");
        }
        draw(GL_POINTS, SelectedPoints, data.points.selected, "selectedPrimitive",
             "whiteVertexShader");
    }
    if (!view.renderFilled) {
        return;
    }
    // Pushes faces back so that the edges and points drawn on them stay visible.
    glPolygonOffset(0.0f, 10000.0f);
    glEnable(GL_POLYGON_OFFSET_FILL);
    draw(GL_TRIANGLES, OrdinaryTriangles, data.triangles.ordinary, layerFragment, "vertexShader");
    draw(GL_TRIANGLES, SelectedTriangles, data.triangles.selected, "selectedPrimitive",
         "vertexShader");
}

void Renderer::bindIndexList(List list, std::span<const std::uint32_t> indices) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffers[list]);
    if (m_listUploaded[list]) {
        return;
    }
    const auto bytes = static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t));
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, bytes, nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, bytes, indices.data());
    m_listUploaded[list] = true;
}

void Renderer::draw(GLenum primitive, List list, std::span<const std::uint32_t> indices,
                    const std::string& fragment, const std::string& vertex) {
    if (indices.empty()) {
        return;
    }
    bindIndexList(list, indices);
    Program& program = programFor(fragment, vertex);
    glUniformMatrix4fv(program.matrix, 1, GL_TRUE, m_matrix->data.data());
    glUniform1f(program.pointSize, m_pointSize);
    glUniform1f(program.opacity, m_opacity);
    glUniform1i(program.drawingPoints, primitive == GL_POINTS ? 1 : 0);
    glDrawElements(primitive, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, nullptr);
}

} // namespace tessel
