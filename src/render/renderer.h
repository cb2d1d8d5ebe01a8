#pragma once

#include "editor/frame_data.h"
#include "geometry/matrix.h"
#include "render/gpu_layers.h"
#include "render/guides.h"

#include <QOpenGLFunctions_3_3_Core>

#include <array>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

class QOpenGLShader;
class QOpenGLShaderProgram;

namespace tessel {

class Editor;
class Layer;
struct Viewport;

// Draws one viewport's frame with OpenGL: the scene's meshes as points, wireframe and filled
// faces, the selection highlighted, the tool geometry of a pending preview and, during a
// rectangle selection, the selection volume.
//
// All members need the viewport's GL context to be current. GL objects live from initialize()
// to release(). The layers' arrays live in GPU memory shared with the other viewports
// (GpuLayers): a frame uploads only what changed since the last one.
class Renderer : protected QOpenGLFunctions_3_3_Core {
public:
    // The shader stages, by the names the draw list uses.
    static constexpr std::array<const char*, 5> shaderNames{"whiteVertexShader", "vertexShader",
                                                            "fragmentShader", "selectedPrimitive",
                                                            "cuttingPlaneFragmentShader"};

    Renderer();
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Compiles the five shader stages and makes the buffers. A stage that is missing or does
    // not compile is a programming error.
    void initialize();
    // Frees every GL object; initialize() may run again afterwards (new context).
    void release();

    // One frame of `view` as `owner` sees the scene, into the current framebuffer.
    void render(Viewport& view, Editor& owner);

    // Wall-clock seconds that render() calls of this process have taken so far: all of it, and
    // the part spent in the core (reading the layers, which evaluates a pending preview, and
    // building the index lists and positions). The rest is spent handing the frame to OpenGL.
    struct Timing {
        double render = 0;
        double core = 0;
    };
    static Timing timing();

    // Passes left out of every frame, to measure what each costs (developer tools only).
    struct Omitted {
        bool edges = false;
        bool points = false;
        bool faces = false;
    };
    static Omitted omitted;

private:
    struct Program {
        std::unique_ptr<QOpenGLShaderProgram> linked;
        int matrix = -1;
        int modelView = -1;
        int pointSize = -1;
        int opacity = -1;
        int primitiveKind = -1;
        int faceOrientation = -1;
    };

    // The program of two stages, compiled for smooth shading or not.
    Program& programFor(const std::string& fragment, const std::string& vertex, bool smooth);
    void drawItem(const Viewport& view, const DrawItem& item);
    // Draws runs of the index list bound as GL_ELEMENT_ARRAY_BUFFER, or runs of points: of
    // those, the parts the viewport may see when `bounds` is given.
    void drawRanges(GLenum primitive, const IndexRanges& ranges, const ListBounds* bounds,
                    const std::string& fragment, const std::string& vertex);
    void useProgram(GLenum primitive, const std::string& fragment, const std::string& vertex);
    // Draws the item's box into the hidden-test query, changing neither colour nor depth.
    void testHidden(const DrawItem& item);

    bool m_initialized = false;
    Guides m_guides;
    std::map<std::pair<std::string, bool>, std::unique_ptr<QOpenGLShader>> m_shaders;
    std::map<std::tuple<std::string, std::string, bool>, Program> m_programs;
    std::shared_ptr<GpuLayers> m_layers;
    GLuint m_vertexArray = 0;
    GLuint m_boxBuffer = 0;
    GLuint m_hiddenQuery = 0;
    // Storage for the counts and offsets of multi-draw calls.
    std::vector<GLsizei> m_counts;
    std::vector<const void*> m_offsets;
    std::vector<GLint> m_firsts;
    IndexRanges m_whole;

    // The size of the viewport being drawn, in pixels.
    float m_pixelWidth = 0;
    float m_pixelHeight = 0;
    // Per-item constants shared by its draws.
    const Matrix* m_matrix = nullptr;
    const Matrix* m_modelView = nullptr;
    float m_pointSize = 1;
    float m_opacity = 1;
    bool m_smooth = false;
    bool m_faceOrientation = false;
    // What the fragment stages draw when not told by the primitive: 3 for normal lines.
    int m_primitiveKind = -1;
};

} // namespace tessel
