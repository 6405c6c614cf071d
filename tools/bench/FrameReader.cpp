#include "FrameReader.h"

namespace vantor {

FrameReader::FrameReader(int width, int height) : width(width), height(height) {
    glGenBuffers(buffers, names);
    for (GLuint name : names) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, name);
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(width) * height * 4, nullptr,
                     GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

FrameReader::~FrameReader() {
    glDeleteBuffers(buffers, names);
}

void FrameReader::start() {
    if (count == buffers)
        return; // the caller takes the oldest out first; overwriting it would lose a frame
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, names[(oldest + count) % buffers]);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    ++count;
}

bool FrameReader::takeOldest(const std::function<void(const unsigned char* rgba)>& use) {
    if (count == 0)
        return false;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, names[oldest]);
    const void* data = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    if (data) {
        use(static_cast<const unsigned char*>(data));
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    oldest = (oldest + 1) % buffers;
    --count;
    return data != nullptr;
}

} // namespace vantor
