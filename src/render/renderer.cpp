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

Renderer::Omitted Renderer::omitted;

Renderer::Renderer() = default;

Renderer::~Renderer() = default;

void Renderer::initialize() {
    if (m_initialized) {
        release();
    }
    TESSEL_CHECK(initializeOpenGLFunctions(), "Renderer::initialize",
                 "no OpenGL 3.3 core functions in the current context");
    // Each stage is compiled as it stands and, for smooth shading, with SMOOTH_SHADING defined.
    for (const char* name : shaderNames) {
        QFile file(QStringLiteral(":/shaders/%1.glsl").arg(QLatin1String(name)));
        TESSEL_CHECK(file.open(QIODevice::ReadOnly), "Renderer::initialize",
                     "shader stage " << name << " missing from the resources");
        const QByteArray source = file.readAll();
        QByteArray smooth = source;
        smooth.insert(smooth.indexOf('\n') + 1, "#define SMOOTH_SHADING\n");
        for (const bool isSmooth : {false, true}) {
            auto shader = std::make_unique<QOpenGLShader>(
                isVertexStage(name) ? QOpenGLShader::Vertex : QOpenGLShader::Fragment);
            TESSEL_CHECK(
                shader->compileSourceCode(isSmooth ? smooth : source), "Renderer::initialize",
                "shader stage " << name << " does not compile: " << shader->log().toStdString());
            m_shaders[{name, isSmooth}] = std::move(shader);
        }
    }

    m_layers = GpuLayers::shared();
    glGenVertexArrays(1, &m_vertexArray);
    // The unit box a mesh's bounds are tested as: two triangles per side.
    std::vector<float> box;
    const int sides[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                             {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& side : sides) {
        for (const int corner : {side[0], side[1], side[2], side[0], side[2], side[3]}) {
            box.insert(box.end(),
                       {static_cast<float>(corner & 1), static_cast<float>((corner >> 1) & 1),
                        static_cast<float>((corner >> 2) & 1)});
        }
    }
    glGenBuffers(1, &m_boxBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_boxBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(box.size() * sizeof(float)), box.data(),
                 GL_STATIC_DRAW);
    glGenQueries(1, &m_hiddenQuery);
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
    glDeleteVertexArrays(1, &m_vertexArray);
    glDeleteBuffers(1, &m_boxBuffer);
    glDeleteQueries(1, &m_hiddenQuery);
    m_vertexArray = 0;
    m_boxBuffer = 0;
    m_hiddenQuery = 0;
    // The last viewport to go frees the shared buffers, with its own context current.
    if (m_layers.use_count() == 1) {
        m_layers->release(*this);
    }
    m_layers.reset();
    m_initialized = false;
}

Renderer::Program& Renderer::programFor(const std::string& fragment, const std::string& vertex,
                                        bool smooth) {
    auto key = std::make_tuple(fragment, vertex, smooth);
    if (auto found = m_programs.find(key); found != m_programs.end()) {
        found->second.linked->bind();
        return found->second;
    }
    auto vertexStage = m_shaders.find({vertex, smooth});
    auto fragmentStage = m_shaders.find({fragment, smooth});
    TESSEL_CHECK(vertexStage != m_shaders.end() && isVertexStage(vertex), "Renderer::programFor",
                 "unknown vertex stage " << vertex);
    TESSEL_CHECK(fragmentStage != m_shaders.end() && !isVertexStage(fragment),
                 "Renderer::programFor", "unknown fragment stage " << fragment);

    Program program;
    program.linked = std::make_unique<QOpenGLShaderProgram>();
    program.linked->addShader(vertexStage->second.get());
    program.linked->addShader(fragmentStage->second.get());
    program.linked->bindAttributeLocation("position", 0);
    program.linked->bindAttributeLocation("normal", 1);
    TESSEL_CHECK(program.linked->link(), "Renderer::programFor",
                 fragment << " with " << vertex
                          << " does not link: " << program.linked->log().toStdString());
    program.matrix = program.linked->uniformLocation("matrix");
    program.modelView = program.linked->uniformLocation("modelView");
    program.pointSize = program.linked->uniformLocation("pointSize");
    program.opacity = program.linked->uniformLocation("opacity");
    program.primitiveKind = program.linked->uniformLocation("primitiveKind");
    program.faceOrientation = program.linked->uniformLocation("faceOrientation");
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
    m_pixelWidth = static_cast<float>(std::max(pixels[2], 0));
    m_pixelHeight = static_cast<float>(std::max(pixels[3], 0));

    std::vector<DrawItem> items;
    {
        const Stopwatch coreTime(totals.core);
        items = owner.prepareFrame(view);
    }

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_CULL_FACE);
    // The projection mirrors the picture GL expects (its depth runs into the screen): a face
    // whose corners turn counter-clockwise seen from outside turns clockwise on the screen.
    glFrontFace(GL_CW);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glBindVertexArray(m_vertexArray);
    glEnableVertexAttribArray(0);
    bool first = true;
    for (const size_t i : drawOrder(items)) {
        const DrawItem& item = items[i];
        // A large mesh is first tested, as its box, against what is drawn: wholly behind it, the
        // mesh is not drawn.
        const bool tested = !first && worthHiddenTest(item);
        first = false;
        if (tested) {
            testHidden(item);
            glBeginConditionalRender(m_hiddenQuery, GL_QUERY_WAIT);
        }
        drawItem(view, item);
        if (tested) {
            glEndConditionalRender();
        }
    }
    glBindVertexArray(0);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    m_layers->endFrame(*this);
    m_guides.drawTriad(view);
}

void Renderer::testHidden(const DrawItem& item) {
    const Box& box = *item.data->bounds;
    const Vector3 size = box.max - box.min;
    Matrix scale;
    scale.data = {size.x, 0, 0, 0, 0, size.y, 0, 0, 0, 0, size.z, 0, 0, 0, 0, 1};
    const Matrix boxMatrix = item.matrix * Matrix::translation(box.min) * scale;
    glBindBuffer(GL_ARRAY_BUFFER, m_boxBuffer);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
    glDisableVertexAttribArray(1);
    m_matrix = &boxMatrix;
    m_modelView = &item.modelView;
    useProgram(GL_TRIANGLES, "fragmentShader", "whiteVertexShader");
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBeginQuery(GL_ANY_SAMPLES_PASSED, m_hiddenQuery);
    glDrawArrays(GL_TRIANGLES, 0, 36);
    glEndQuery(GL_ANY_SAMPLES_PASSED);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    m_matrix = nullptr;
}

void Renderer::drawItem(const Viewport& view, const DrawItem& item) {
    const Layer& layer = *item.layer;
    const LayerDrawData& data = *item.data;
    // No index can refer to a point of an empty layer: nothing to draw.
    if (layer.positions.empty()) {
        return;
    }
    // A mesh the viewport cannot see draws nothing; one it sees only a part of draws the runs of
    // its lists that may show.
    const Visibility shown =
        data.bounds ? visibility(*data.bounds, item.matrix) : Visibility::Inside;
    if (shown == Visibility::Outside) {
        return;
    }
    const GpuLayers::RunBounds* runs =
        shown == Visibility::Partly ? &m_layers->runBounds(item) : nullptr;
    const GpuLayers::Buffers buffers = m_layers->update(*this, item);
    glBindBuffer(GL_ARRAY_BUFFER, buffers.positions);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);

    if (buffers.normals != 0) {
        glBindBuffer(GL_ARRAY_BUFFER, buffers.normals);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
        glEnableVertexAttribArray(1);
    } else {
        glDisableVertexAttribArray(1);
    }
    m_smooth = buffers.normals != 0;
    m_faceOrientation = item.faceOrientation;
    m_matrix = &item.matrix;
    m_modelView = &item.modelView;
    m_pointSize = pointSizeOf(item, m_pixelWidth, m_pixelHeight);
    m_opacity = item.isSelectionVolume ? 0.5f : item.material->opacity;

    // A layer that names its own fragment stage (the cutting plane's patch) is drawn with it in
    // every pass, its edges too, so that nothing of it looks like a mesh.
    const std::string layerFragment = layer.fragmentShader.value_or("fragmentShader");
    // Packed closer than a few pixels, a layer's points and edges would cover its faces and hide
    // its shape, and drawing them would take most of the frame's time (seconds a frame at a
    // million faces with a software rasterizer): when its faces are drawn, its own points and
    // edges are left out. Its selection is still drawn.
    const bool denserThanPixels =
        view.renderFilled && outlineTooDense(item, m_pixelWidth, m_pixelHeight);
    // The selected mesh's points, drawn large and close together, cover its faces and edges:
    // those would draw nothing that shows.
    const bool underPoints =
        view.renderPoints && largePointsCoverFaces(item, m_pixelWidth, m_pixelHeight);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (view.renderLines && !omitted.edges) {
        if (!denserThanPixels && !underPoints && !data.edges.empty()) {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers.edges);
            m_whole.assign(1, {0, static_cast<std::uint32_t>(data.edges.size())});
            drawRanges(GL_LINES, m_whole, runs ? &runs->edges : nullptr, layerFragment,
                       "whiteVertexShader");
        }
        // The selected faces' edges are in the ordinary list as well: drawn again, the same
        // lines at the same depth take the selection's colour.
        if (!data.selectedEdges.empty()) {
            glDepthFunc(GL_LEQUAL);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers.selectedEdges);
            m_whole.assign(1, {0, static_cast<std::uint32_t>(data.selectedEdges.size())});
            drawRanges(GL_LINES, m_whole, nullptr, "selectedPrimitive", "whiteVertexShader");
            glDepthFunc(GL_LESS);
        }
    }
    if (view.renderPoints && !omitted.points) {
        if (!denserThanPixels) {
            // Points of one pixel need no size from the program, which lets the rasterizer draw
            // them as pixels rather than as squares.
            const bool onePixel = m_pointSize == 1.0f;
            if (onePixel) {
                glDisable(GL_PROGRAM_POINT_SIZE);
                glPointSize(1.0f);
            }
            drawRanges(GL_POINTS, data.ordinaryPoints, runs ? &runs->points : nullptr,
                       layerFragment, "whiteVertexShader");
            glEnable(GL_PROGRAM_POINT_SIZE);
        }
        drawRanges(GL_POINTS, data.selectedPoints, nullptr, "selectedPrimitive",
                   "whiteVertexShader");
    }
    if (buffers.normalLines != 0) {
        // Drawn from their own positions: a line from each face's centre along its normal.
        glBindBuffer(GL_ARRAY_BUFFER, buffers.normalLines);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
        m_primitiveKind = 3;
        useProgram(GL_LINES, "fragmentShader", "whiteVertexShader");
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(item.normalLines->size()));
        m_primitiveKind = -1;
        glBindBuffer(GL_ARRAY_BUFFER, buffers.positions);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
    }
    if (!view.renderFilled || omitted.faces || underPoints) {
        return;
    }
    // Pushes faces back so that the edges and points drawn on them stay visible.
    glPolygonOffset(0.0f, 10000.0f);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers.triangles);
    drawRanges(GL_TRIANGLES, data.ordinaryTriangles, runs ? &runs->triangles : nullptr,
               layerFragment, "vertexShader");
    drawRanges(GL_TRIANGLES, data.selectedTriangles, runs ? &runs->triangles : nullptr,
               "selectedPrimitive", "vertexShader");
}

void Renderer::useProgram(GLenum primitive, const std::string& fragment,
                          const std::string& vertex) {
    // Only faces are shaded smooth.
    Program& program = programFor(fragment, vertex, m_smooth && primitive == GL_TRIANGLES);
    glUniformMatrix4fv(program.matrix, 1, GL_TRUE, m_matrix->data.data());
    glUniformMatrix4fv(program.modelView, 1, GL_TRUE, m_modelView->data.data());
    glUniform1f(program.pointSize, m_pointSize);
    glUniform1f(program.opacity, m_opacity);
    glUniform1i(program.primitiveKind, m_primitiveKind >= 0     ? m_primitiveKind
                                       : primitive == GL_LINES  ? 0
                                       : primitive == GL_POINTS ? 1
                                                                : 2);
    glUniform1i(program.faceOrientation, m_faceOrientation ? 1 : 0);
}

void Renderer::drawRanges(GLenum primitive, const IndexRanges& all, const ListBounds* bounds,
                          const std::string& fragment, const std::string& vertex) {
    IndexRanges visible;
    if (bounds != nullptr) {
        visible = visibleParts(all, *bounds, *m_matrix);
    }
    const IndexRanges& ranges = bounds != nullptr ? visible : all;
    if (ranges.empty()) {
        return;
    }
    useProgram(primitive, fragment, vertex);
    m_counts.clear();
    for (const IndexRange& r : ranges) {
        m_counts.push_back(static_cast<GLsizei>(r.count));
    }
    const auto n = static_cast<GLsizei>(ranges.size());
    if (primitive == GL_POINTS) {
        m_firsts.clear();
        for (const IndexRange& r : ranges) {
            m_firsts.push_back(static_cast<GLint>(r.first));
        }
        glMultiDrawArrays(primitive, m_firsts.data(), m_counts.data(), n);
        return;
    }
    m_offsets.clear();
    for (const IndexRange& r : ranges) {
        m_offsets.push_back(
            reinterpret_cast<const void*>(static_cast<std::uintptr_t>(r.first) * sizeof(GLuint)));
    }
    glMultiDrawElements(primitive, m_counts.data(), GL_UNSIGNED_INT, m_offsets.data(), n);
}

} // namespace tessel
