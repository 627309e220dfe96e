// tintor [MOVIE.swf]: the window for recolouring a movie.
#include "core/memory.h"
#include "views/preview_environment.h"
#include "window/tintor_app.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Without any display Qt would abort with a message about plugins; say
// plainly what is missing instead.
bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// Chromium inside Qt WebEngine frees some of its objects with a sized delete
// of a base type, and it, fontconfig and D-Bus (of the desktop platform)
// keep some allocations until the process ends; none of that is ours to mend. ASAN_OPTIONS and LSAN_OPTIONS
// still win.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n";
}
#endif

int main(int argc, char** argv)
{
    if (!HasDisplay()) {
        std::fprintf(stderr,
            "tintor: no display found (set DISPLAY, or QT_QPA_PLATFORM=offscreen); "
            "tintor-cli works without one\n");
        return 2;
    }
    tintor::ReturnLargeBlocksWhenFreed();
    tintor::PrepareWebEngineEnvironment();
    tintor::CTintorApp app(argc, argv);
    if (!app.InitInstance())
        return app.ExitCode() != 0 ? app.ExitCode() : 1;
    return app.Run();
}
