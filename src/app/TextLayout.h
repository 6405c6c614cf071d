#pragma once
// Where the demo's screen text goes: the reload messages, the timing overlay and the shadow view's
// face labels, as boxes of monospaced lines in framebuffer pixels. Pure arithmetic on the text's
// measures, no GL and no user-interface library: ScreenText draws the boxes.

#include <optional>
#include <string>
#include <vector>

namespace vantor {

// A rectangle of the window in pixels from its top left; right and bottom lie just outside it.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool intersects(const PixelRect& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

struct PixelPoint {
    int x = 0, y = 0;
};

// The font's measures in framebuffer pixels: every character is `charWidth` wide (the font is
// monospaced, and the overlay lines up its columns with spaces), a line `lineHeight` high.
struct TextMetrics {
    int charWidth = 7;
    int lineHeight = 13;
    int padding = 3; // between the text and its backing box's edges
};

// The backing box's size for these lines.
PixelPoint textBoxSize(const std::vector<std::string>& lines, const TextMetrics& metrics);

// How many lines and columns a message may take in a window of this size: half the height, and
// the width less the margins.
struct TextRoom {
    int lines = 1, columns = 4;
};
TextRoom messageRoom(int width, int height, const TextMetrics& metrics, int margin = 8);

// Where a box of `size` goes so that it covers none of `keepClear` (text the user must read, or
// the open panel drawn over it): the first of its usual corner, the same height at the window's
// right edge, then below each rectangle at the usual left or at the right edge, that lies clear of
// all of them and inside the window. When none fits inside the window, the first clear one that
// starts inside it and only runs past its bottom; when none is clear at all, the usual corner.
PixelPoint placeClear(PixelPoint usual, PixelPoint size, int windowWidth, int windowHeight,
                      const std::vector<PixelRect>& keepClear, int margin = 8);

// What there is to show in this frame.
struct ScreenTextScene {
    int width = 0, height = 0; // the framebuffer
    // The reload failures' lines, already cut to messageRoom; while the panel is open they are
    // shown inside it instead, so they are left out here.
    std::vector<std::string> messages;
    std::vector<std::string> overlay; // empty while the overlay is off
    bool faceLabels = false;          // the shadow view shows its six faces
    std::optional<PixelRect> panel;   // the open settings panel, drawn over everything here
};

struct TextBox {
    enum class Kind { Message, Overlay, Label };
    Kind kind;
    PixelRect area; // the backing box; the text starts `padding` inside it
    std::vector<std::string> lines;
};

// The boxes in drawing order: the labels, the messages (top-left corner, unless the panel is open),
// the overlay (below the messages, clear of the labels and the panel).
std::vector<TextBox> layoutScreenText(const ScreenTextScene& scene, const TextMetrics& metrics);

} // namespace vantor
