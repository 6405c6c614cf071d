#pragma once
// Reads rendered frames back from the window through two pixel-pack buffers in turn: the read
// of frame n is queued into one buffer while frame n - 1 is taken out of the other, so the
// render of the next frame does not wait for a read-back that the driver can still be doing.

#include <GL/glew.h>

#include <functional>

namespace vantor {

class FrameReader {
public:
    FrameReader(int width, int height);
    ~FrameReader();
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // Queues the read of the window's back buffer (GL_RGBA bytes, bottom row first) into the
    // next free buffer. Take the oldest out first when both are in use.
    void start();
    // Hands the oldest queued frame to `use` (valid only during the call) and frees its buffer.
    // False when none is queued or the buffer could not be mapped (the frame is then lost).
    bool takeOldest(const std::function<void(const unsigned char* rgba)>& use);

    int queued() const { return count; }
    static constexpr int buffers = 2;

private:
    int width, height;
    GLuint names[buffers] = {};
    int oldest = 0;
    int count = 0;
};

} // namespace vantor
