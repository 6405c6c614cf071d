// The web build links FreeImage statically, and its plugins register only when something calls
// FreeImage_Initialise (the shared library does that as it loads). The build's own registration
// sits in a part of the library that the page's link leaves out, so it is done here, once, before
// main.
#ifdef __EMSCRIPTEN__

#include <FreeImage.h>

namespace vantor {

namespace {

struct ImagePlugins {
    ImagePlugins() { FreeImage_Initialise(FALSE); }
} imagePlugins;

} // namespace

} // namespace vantor

#endif
