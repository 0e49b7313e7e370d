// The panel resource loader: any document either loads panels and a menu bar
// that the toolkit can hold, or is refused with one short line naming the file.
#include "fuzz/fuzz_util.h"
#include "fuzz/resource_callbacks.h"
#include "toolkit/headless/headless.h"
#include "toolkit/toolkit.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    tk::headless::start();
    fuzz::registerProgramCallbacks(KSIL_RESOURCE_DIR "/p_ksil2.uir");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string file = fuzz::scratchFile("p_ksil2.uir");
    fuzz::writeFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string name = std::filesystem::path(file).filename().string();

    int first = 0;
    for (int id = 1; id <= 10; ++id) {
        const int p = tk::loadPanel(0, file, id);
        if (p < 0) {
            fuzz::check(p == tk::ERR_RESOURCE, "a failed load returns the resource error");
            fuzz::check(tk::lastError().rfind(name + ": ", 0) == 0 || tk::lastError().rfind(file + ": ", 0) == 0,
                        "the message names the file");
            fuzz::checkOneLine(tk::lastError(), 1024, "the message is one short line");
            continue;
        }
        for (tk::Attr a : {tk::Attr::Top, tk::Attr::Left, tk::Attr::Height, tk::Attr::Width}) {
            const int v = tk::attr(p, 0, a);
            fuzz::check(v >= -100000 && v <= 100000, "a panel's place and size are screen coordinates");
        }
        tk::displayPanel(p);
        if (first == 0)
            first = p;
        else
            tk::discardPanel(p);
    }
    if (first > 0) {
        if (tk::loadMenuBar(first, file, 1) < 0)
            fuzz::checkOneLine(tk::lastError(), 1024, "the message is one short line");
        tk::discardPanel(first);
    }
    return 0;
}
