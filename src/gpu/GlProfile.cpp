#include "gpu/GlProfile.h"

#include <GL/glew.h>

#include <cstring>

namespace vantor {

namespace glprofile {

void fillPolygons() {
    if constexpr (!webGl)
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void waitForGpu() {
    glFinish();
    if constexpr (webGl) {
        GLint reading = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &reading);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        unsigned char pixel[4];
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(reading));
    }
}

bool gpuTimerOffered() {
    if constexpr (!webGl)
        return true;
    // WebGL names its extensions without the "GL_" prefix; either spelling is taken.
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "EXT_disjoint_timer_query_webgl2");
}

} // namespace glprofile

} // namespace vantor
