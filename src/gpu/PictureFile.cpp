#include "gpu/PictureFile.h"

#include "gpu/Image.h"

#include <FreeImage.h>
#include <GL/glew.h>

namespace vantor {

namespace {

// A FreeImage copy of the picture; null for an empty picture or when FreeImage cannot allocate.
FIBITMAP* toBitmap(const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgba.size() < static_cast<size_t>(picture.width) * picture.height * 4)
        return nullptr;
    FIBITMAP* bitmap = FreeImage_Allocate(picture.width, picture.height, 32);
    if (!bitmap)
        return nullptr;
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
    return bitmap;
}

} // namespace

bool writePng(const std::string& path, const Picture& picture) {
    FIBITMAP* bitmap = toBitmap(picture);
    if (!bitmap)
        return false;
    const bool ok = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_DEFAULT);
    FreeImage_Unload(bitmap);
    return ok;
}

bool encodePng(const Picture& picture, std::vector<unsigned char>& png, bool fast) {
    png.clear();
    // The shared library registers its plugins when it is loaded, before any thread starts;
    // after that a save reads the plugin table only, and each call has its own bitmap, memory
    // stream and libpng state.
    FIBITMAP* bitmap = toBitmap(picture);
    if (!bitmap)
        return false;
    FIMEMORY* memory = FreeImage_OpenMemory();
    bool ok =
        memory && FreeImage_SaveToMemory(FIF_PNG, bitmap, memory, fast ? PNG_Z_BEST_SPEED : PNG_DEFAULT);
    BYTE* bytes = nullptr;
    DWORD size = 0;
    if (ok && FreeImage_AcquireMemory(memory, &bytes, &size) && size > 0)
        png.assign(bytes, bytes + size);
    else
        ok = false;
    if (memory)
        FreeImage_CloseMemory(memory);
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

} // namespace vantor
