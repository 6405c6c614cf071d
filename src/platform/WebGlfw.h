#pragma once
// The GLFW 3.3 calls the demo makes that emscripten's GLFW (its 3.2 API in JavaScript) lacks,
// declared for the web build, which includes this ahead of every file; the page's JavaScript
// library (web/library_demo.js) provides them.
#ifdef __EMSCRIPTEN__
struct GLFWwindow;
extern "C" void glfwGetWindowContentScale(GLFWwindow* window, float* xscale, float* yscale);
#endif
