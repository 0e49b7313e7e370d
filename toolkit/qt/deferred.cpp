// The deferred display: while a long operation runs, the changes it makes to
// the controls are kept instead of being shown on the widgets one by one, and
// shown together when the program paints (while it waits), pumps events, opens
// a pop-up or ends the deferral. Every adapter shows a change by reading the
// model as it is then, so a change that another one already covers is kept
// once.
#include "toolkit/qt/qt_backend.h"

#include <algorithm>

namespace tk::qtui {

namespace {

// Past this many held changes they are shown at once: holding them never
// costs more than showing them would.
constexpr std::size_t kMostHeld = 512;

} // namespace

void QtBackend::hold(const HeldChange& change)
{
    auto sameControl = [&change](const HeldChange& h) { return h.panel == change.panel && h.ctrl == change.ctrl; };
    auto held = [&](auto&& also) {
        return std::any_of(held_.begin(), held_.end(),
                           [&](const HeldChange& h) { return sameControl(h) && also(h); });
    };
    // A rebuild shows everything the model holds for the control.
    if (held([](const HeldChange& h) { return h.what == Change::Everything; }))
        return;
    if (change.what == Change::Everything) {
        std::erase_if(held_, sameControl);
        held_.push_back(change);
        return;
    }
    // An append shows every line from its first to the end of the text.
    if (change.what == Change::LinesAppended
        && held([](const HeldChange& h) { return h.what == Change::LinesAppended; }))
        return;
    if (held([&change](const HeldChange& h) { return h.what == change.what && h.a == change.a && h.b == change.b; }))
        return;
    held_.push_back(change);
    if (held_.size() >= kMostHeld)
        showHeld();
}

void QtBackend::showHeld()
{
    // Taken first: whatever the widgets do meanwhile cannot add to the list being shown.
    const std::vector<HeldChange> changes = std::move(held_);
    held_.clear();
    for (const HeldChange& h : changes)
        applyChange(h.panel, h.ctrl, h.what, h.a, h.b);
}

void QtBackend::displayDeferred(bool on)
{
    if (!on)
        showHeld();
    deferring_ = on;
}

} // namespace tk::qtui
