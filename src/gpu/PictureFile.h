#pragma once
// 8-bit RGBA pictures as GL reads them back (rows bottom-up) and their PNG files, through
// FreeImage. The demo's screenshots and the benchmark's captures share them.

#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba; // width * height * 4, bottom row first
};

bool writePng(const std::string& path, const Picture& picture);
bool readPng(const std::string& path, Picture& picture);

// The current window's back buffer (framebuffer 0) at `width` x `height`, made opaque. Needs a
// GL context current.
Picture readWindow(int width, int height);
