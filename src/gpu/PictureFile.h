#pragma once
// 8-bit RGBA pictures as GL reads them back (rows bottom-up) and their PNG files, through
// FreeImage. The demo's screenshots and the benchmark's captures share them.

#include <string>
#include <vector>

namespace vantor {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba; // width * height * 4, bottom row first
};

bool writePng(const std::string& path, const Picture& picture);
bool readPng(const std::string& path, Picture& picture);

// The picture as the bytes of a PNG file, into `png`; false (and `png` empty) for an empty
// picture or when FreeImage fails. `fast` trades a somewhat larger file for a few times less
// deflate work. Touches no file and no GL state, and shares nothing between calls: safe on any
// thread, several at once.
bool encodePng(const Picture& picture, std::vector<unsigned char>& png, bool fast = false);

// The current window's back buffer (framebuffer 0) at `width` x `height`, made opaque. Needs a
// GL context current.
Picture readWindow(int width, int height);

} // namespace vantor
