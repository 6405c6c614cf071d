#version 330 core
// Overlay text, vertex stage: a glyph's or the backing box's corner from window pixels (origin
// at the top-left, y down) to clip space, its atlas coordinate and backing weight passed on.
// In: attribute 0 "corner" (window pixels), 1 "atlasCoord" (atlas texture coordinate),
// 2 "backing" (1 on the backing box, 0 on glyphs); uniform "viewportSize" (pixels).

layout(location = 0) in vec2 corner;
layout(location = 1) in vec2 atlasCoord;
layout(location = 2) in float backing;

uniform vec2 viewportSize;

out vec2 glyphCoord;
out float boxWeight;

void main() {
    glyphCoord = atlasCoord;
    boxWeight = backing;
    vec2 ndc = corner / viewportSize * 2.0 - 1.0;
    gl_Position = vec4(ndc.x, -ndc.y, 0.0, 1.0);
}
