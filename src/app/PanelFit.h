#pragma once
// How large the user interface's text is (the settings panel's and the screen text's) and where
// the panel may lie, from the window's sizes alone. Pure: no window, no library.

namespace vantor {

namespace panelfit {

// The text scale. The library's own font is 13 pixels high, drawn for a screen of about
// 768 lines; scaled by whole steps it stays sharp. `pixels` is the step on the framebuffer: the
// framebuffer's height over 768 (from 1.7 the next step up: 1 up to about 1300 lines, 3 on a
// 2160-line screen), or the display's content scale rounded (a user who asked for 150 % gets
// twice, not once), whichever is larger. The library lays out in window points, and a point
// holds framebufferHeight / windowHeight pixels (2 on a Retina display, 1 where windows are
// measured in pixels even at a content scale of 1.5): `points` is the same size in points.
struct Scale {
    int pixels = 0;
    float points = 0.0f;
    bool operator==(const Scale& other) const { return pixels == other.pixels && points == other.points; }
    bool operator!=(const Scale& other) const { return !(*this == other); }
};
Scale scaleFor(int framebufferHeight, int windowHeight, float contentScale);

// The most the panel measures along one side of a window `display` long, keeping `margin` free
// at both ends while there is room, and never below `least`.
float largest(float display, float margin, float least);
// Where a panel `size` long starts along one side of a window `display` long, as near `at` as
// keeps all of it inside (its start inside, when it is the longer).
float keepWithin(float at, float size, float display);

} // namespace panelfit

} // namespace vantor
