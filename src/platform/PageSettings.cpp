#include "platform/PageSettings.h"

#ifdef __EMSCRIPTEN__

#include <cstdlib>

namespace vantor {

// web/library_demo.js: the page's list as a malloc'd string, or null when it gives none.
extern "C" char* demoPageSettings();

bool applyPageSettings(RenderSettings& settings, std::string& failure) {
    char* list = demoPageSettings();
    if (!list)
        return true;
    const std::string text = list;
    std::free(list);
    return applySettingList(settings, text, failure);
}

} // namespace vantor

#else

namespace vantor {

bool applyPageSettings(RenderSettings&, std::string&) {
    return true;
}

} // namespace vantor

#endif
