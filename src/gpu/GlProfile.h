#pragma once
// What this build's GL can do where the desktop's OpenGL 3.3 core and a web page's WebGL2
// differ, asked by the passes instead of naming a platform. The answers are constants of the
// build, except the GPU timer, which each browser offers or not.

namespace vantor {

namespace glprofile {

#ifdef __EMSCRIPTEN__
constexpr bool webGl = true;
#else
constexpr bool webGl = false;
#endif

// A geometry stage, so the shadow cube is drawn in one layered pass; without it, one face per
// pass with the same matrices.
constexpr bool geometryStage = !webGl;

// Polygons are drawn filled. Only the desktop has polygon modes to set; WebGL2 fills always.
void fillPolygons();

// Returns once the GL has finished the work asked of it so far. On the desktop that is glFinish;
// WebGL's finish does not wait for the browser's GPU process, so a page also reads one pixel of
// the window back, which does (and stalls the pipeline just the same).
void waitForGpu();

// GL_TIME_ELAPSED queries: core in OpenGL 3.3; in a page, where the browser offers
// EXT_disjoint_timer_query_webgl2. Asks the current context.
bool gpuTimerOffered();

} // namespace glprofile

} // namespace vantor
