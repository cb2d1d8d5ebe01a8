#pragma once

#include <QOpenGLFunctions_3_3_Core>

#include <memory>

class QOpenGLShaderProgram;

namespace tessel {

struct Viewport;

// Draws what tells where a viewport looks from: the ground grid with the world's axes behind the
// scene, and the axis triad with its letters in the bottom-left corner over it. Every line goes
// to the GPU once, at initialize(); a frame only sets the uniforms that place them.
//
// All members need the viewport's GL context to be current. GL objects live from initialize()
// to release(); drawing before initialize() draws nothing.
class Guides : protected QOpenGLFunctions_3_3_Core {
public:
    Guides();
    ~Guides();
    Guides(const Guides&) = delete;
    Guides& operator=(const Guides&) = delete;

    // Compiles the guide shaders and uploads the lines. A shader that is missing or does not
    // compile is a programming error.
    void initialize();
    // Frees every GL object; initialize() may run again afterwards (new context).
    void release();

    // The grid on the plane `view` looks down on, into the current framebuffer, translucent and
    // without depth tests or writes: whatever is drawn next covers it. Leaves depth writes on.
    void drawGround(const Viewport& view);
    // The triad in a square at the bottom-left of the current GL viewport, over everything. The
    // GL viewport and the depth test are as they were afterwards.
    void drawTriad(const Viewport& view);

private:
    struct Uniforms {
        int matrix = -1;
        int onScreen = -1;
        int pixel = -1;
        int color = -1;
        int centre = -1;
        int minorWeight = -1;
        int axisColors = -1;
        int axes = -1;
        int halfLines = -1;
    };

    std::unique_ptr<QOpenGLShaderProgram> m_program;
    Uniforms m_uniforms;
    GLuint m_vertexArray = 0;
    GLuint m_buffer = 0;
};

} // namespace tessel
