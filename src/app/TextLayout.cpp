#include "app/TextLayout.h"

#include "render/TargetView.h"

#include <algorithm>

namespace vantor {

namespace {

constexpr int margin = 8;

PixelRect boxAt(PixelPoint corner, PixelPoint size) {
    return {corner.x, corner.y, corner.x + size.x, corner.y + size.y};
}

bool clearOf(const PixelRect& box, const std::vector<PixelRect>& keepClear) {
    return std::none_of(keepClear.begin(), keepClear.end(),
                        [&](const PixelRect& r) { return box.intersects(r); });
}

} // namespace

PixelPoint textBoxSize(const std::vector<std::string>& lines, const TextMetrics& metrics) {
    if (lines.empty())
        return {};
    size_t columns = 0;
    for (const std::string& line : lines)
        columns = std::max(columns, line.size());
    return {int(columns) * metrics.charWidth + 2 * metrics.padding,
            int(lines.size()) * metrics.lineHeight + 2 * metrics.padding};
}

TextRoom messageRoom(int width, int height, const TextMetrics& metrics, int margin) {
    TextRoom room;
    room.lines = std::max(1, height / std::max(1, metrics.lineHeight) / 2);
    room.columns = std::max(4, (width - 2 * margin - 2 * metrics.padding) / std::max(1, metrics.charWidth));
    return room;
}

PixelPoint placeClear(PixelPoint usual, PixelPoint size, int windowWidth, int windowHeight,
                      const std::vector<PixelRect>& keepClear, int margin) {
    const int rightEdge = std::max(0, windowWidth - margin - size.x);
    std::vector<PixelPoint> candidates{usual, {rightEdge, usual.y}};
    for (const PixelRect& r : keepClear) {
        const int below = std::max(usual.y, r.bottom + margin);
        candidates.push_back({usual.x, below});
        candidates.push_back({rightEdge, below});
    }
    // Text that runs off the window's right edge is lost; text past its bottom only shortened.
    for (const bool wholeHeight : {true, false})
        for (const PixelPoint& at : candidates) {
            const PixelRect box = boxAt(at, size);
            const bool fits = wholeHeight ? box.bottom <= windowHeight : box.top < windowHeight;
            if (box.right <= windowWidth && fits && clearOf(box, keepClear))
                return at;
        }
    return usual;
}

std::vector<TextBox> layoutScreenText(const ScreenTextScene& scene, const TextMetrics& metrics) {
    std::vector<TextBox> boxes;
    std::vector<PixelRect> keepClear;
    if (scene.faceLabels) {
        const ShadowFaceGrid grid = shadowFaceGrid(scene.width, scene.height);
        for (int face = 0; face < 6; ++face) {
            const std::vector<std::string> lines{shadowFaceName(face)};
            const PixelRect area =
                boxAt({grid.cellX(face), grid.cellYFromTop(face, scene.height)}, textBoxSize(lines, metrics));
            boxes.push_back({TextBox::Kind::Label, area, lines});
            keepClear.push_back(area);
        }
    }
    int overlayTop = margin;
    if (!scene.messages.empty() && !scene.panel) {
        const PixelPoint size = textBoxSize(scene.messages, metrics);
        const PixelRect area =
            boxAt(placeClear({margin, margin}, size, scene.width, scene.height, keepClear), size);
        boxes.push_back({TextBox::Kind::Message, area, scene.messages});
        keepClear.push_back(area);
        overlayTop = area.bottom + margin;
    }
    if (scene.panel)
        keepClear.push_back(*scene.panel);
    if (!scene.overlay.empty()) {
        const PixelPoint size = textBoxSize(scene.overlay, metrics);
        const PixelPoint at = placeClear({margin, overlayTop}, size, scene.width, scene.height, keepClear);
        boxes.push_back({TextBox::Kind::Overlay, boxAt(at, size), scene.overlay});
    }
    return boxes;
}

} // namespace vantor
