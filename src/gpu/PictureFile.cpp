#include "gpu/PictureFile.h"

#include "gpu/Image.h"

#include <FreeImage.h>
#include <GL/glew.h>

bool writePng(const std::string& path, const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0)
        return false;
    FIBITMAP* bitmap = FreeImage_Allocate(picture.width, picture.height, 32);
    if (!bitmap)
        return false;
    // Both GL and FreeImage keep the bottom row first; only the channel order differs.
    for (int y = 0; y < picture.height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        const unsigned char* src = &picture.rgba[static_cast<size_t>(y) * picture.width * 4];
        for (int x = 0; x < picture.width; ++x) {
            row[4 * x + FI_RGBA_RED] = src[4 * x + 0];
            row[4 * x + FI_RGBA_GREEN] = src[4 * x + 1];
            row[4 * x + FI_RGBA_BLUE] = src[4 * x + 2];
            row[4 * x + FI_RGBA_ALPHA] = src[4 * x + 3];
        }
    }
    const bool ok = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_DEFAULT);
    FreeImage_Unload(bitmap);
    return ok;
}

bool readPng(const std::string& path, Picture& picture) {
    unsigned width = 0, height = 0;
    picture.rgba = loadImageRGBA(path, width, height);
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    return !picture.rgba.empty();
}

Picture readWindow(int width, int height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.rgba.resize(static_cast<size_t>(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
    for (size_t i = 3; i < p.rgba.size(); i += 4)
        p.rgba[i] = 255;
    return p;
}
