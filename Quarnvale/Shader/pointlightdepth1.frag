#version 330 core
// Shadow cube map, fragment stage: writes nothing. The face's own hardware depth is what
// the lighting pass compares against (it turns its light-to-pixel vector into the same
// depth), so no gl_FragDepth write slows the pass down.

void main() {
}
