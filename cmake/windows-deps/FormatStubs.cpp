// Stand-ins for the FreeImage plugins whose image libraries the Windows cross build leaves out.
// A format's id is its place in FreeImage's plugin table, so each keeps its place with a plugin
// that has a name and an extension list but validates, loads and saves nothing.
#include "FreeImage.h"
#include "Plugin.h"

#define DEMO_FORMAT_STUB(Init, name, description, extensions)                                                \
    static const char* DLL_CALLCONV Init##Format() {                                                         \
        return name;                                                                                         \
    }                                                                                                        \
    static const char* DLL_CALLCONV Init##Description() {                                                    \
        return description;                                                                                  \
    }                                                                                                        \
    static const char* DLL_CALLCONV Init##Extensions() {                                                     \
        return extensions;                                                                                   \
    }                                                                                                        \
    void DLL_CALLCONV Init(Plugin* plugin, int) {                                                            \
        plugin->format_proc = Init##Format;                                                                  \
        plugin->description_proc = Init##Description;                                                        \
        plugin->extension_proc = Init##Extensions;                                                           \
    }

DEMO_FORMAT_STUB(InitTIFF, "TIFF", "Tagged Image File Format (not built)", "tif,tiff")
DEMO_FORMAT_STUB(InitG3, "G3", "Raw fax format CCITT G.3 (not built)", "g3")
DEMO_FORMAT_STUB(InitEXR, "EXR", "ILM OpenEXR (not built)", "exr")
DEMO_FORMAT_STUB(InitJ2K, "J2K", "JPEG-2000 codestream (not built)", "j2k,j2c")
DEMO_FORMAT_STUB(InitJP2, "JP2", "JPEG-2000 File Format (not built)", "jp2")
DEMO_FORMAT_STUB(InitRAW, "RAW", "RAW camera image (not built)", "3fr,arw,cr2,crw,dng,nef,orf,raf,raw")
DEMO_FORMAT_STUB(InitWEBP, "WEBP", "Google WebP image format (not built)", "webp")
DEMO_FORMAT_STUB(InitJXR, "JPEG-XR", "JPEG XR image format (not built)", "jxr,wdp,hdp")

// The shared library registers its plugins when it is loaded (DllMain, or a constructor on
// Linux); built static (FREEIMAGE_LIB) it leaves that to its user. This file is always linked
// (the plugin table names its functions), so its start-up does it, as the shared library would.
namespace {
struct RegisterPlugins {
    RegisterPlugins() { FreeImage_Initialise(FALSE); }
    ~RegisterPlugins() { FreeImage_DeInitialise(); }
} registerPlugins;
} // namespace
