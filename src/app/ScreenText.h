#pragma once
// The demo's screen text through the user-interface library: each box of TextLayout as a dark,
// translucent backing and its lines in the library's font, in the frame's background draw list.

#include "app/TextLayout.h"

#include <vector>

namespace vantor {

// The measures of the library's current font in framebuffer pixels; needs a frame begun.
TextMetrics currentTextMetrics();

// Adds `boxes` to the frame begun (UiContext::beginFrame): the messages in the colour of the
// panel's notices, the overlay and the labels white.
void drawScreenText(const std::vector<TextBox>& boxes);

class UiContext;

// A whole frame of text with no panel and no messages, as the bench draws over its captures: the
// shadow view's labels when `faceLabels`, and the overlay's lines when there are any. Starts
// `ui` when there is anything to draw; draws into framebuffer 0 of `width` x `height`.
void drawFrameText(UiContext& ui, int width, int height, bool faceLabels,
                   const std::vector<std::string>& overlay);

} // namespace vantor
