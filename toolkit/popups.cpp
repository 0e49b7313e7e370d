// Message, yes/no and file pop-ups, the wait cursor and the deferred display:
// handed to the backend.
#include "toolkit/core_state.h"

namespace tk {

using namespace detail;

void messagePopup(std::string_view title, std::string_view text)
{
    if (Backend* b = state().backend.get())
        b->messagePopup(title, text);
}

int confirmPopup(std::string_view title, std::string_view text, int defaultAnswer)
{
    Backend* b = state().backend.get();
    return b ? b->confirmPopup(title, text, defaultAnswer != 0 ? 1 : 0) : 0;
}

int fileSelectPopup(std::string_view directory, std::string_view defaultName, std::string_view filter,
                    std::string_view title, bool save, std::string& path)
{
    Backend* b = state().backend.get();
    if (!b)
        return FILE_NONE;
    return b->fileSelectPopup(directory, defaultName, filter, title, save, path);
}

void setWaitCursor(bool on)
{
    State& s = state();
    if (s.waitCursor == on)
        return;
    s.waitCursor = on;
    if (s.backend)
        s.backend->waitCursorChanged(on);
}

bool waitCursor()
{
    return state().waitCursor;
}

void setDisplayDeferred(bool on)
{
    State& s = state();
    if (s.displayDeferred == on)
        return;
    s.displayDeferred = on;
    if (s.backend)
        s.backend->displayDeferred(on);
}

bool displayDeferred()
{
    return state().displayDeferred;
}

} // namespace tk
