// The operator message panel.
#include "p_ksil2/msgp.h"
#include "p_ksil2/reset.h"

#include "toolkit/toolkit.h"

#include <string>

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 125;
constexpr int kPaleYellow = 0xFFFFCC;

int panel = 0;
int box = 0;

// The panel lives until the toolkit goes; msgpForget drops it with the program's globals.
bool made()
{
    return panel > 0;
}

void make()
{
    panel = tk::newPanel(0, "", 21, 5, kHeight, kWidth);
    tk::setAttr(panel, 0, tk::Attr::Top, tk::kCentered);
    tk::setAttr(panel, 0, tk::Attr::Left, tk::kCentered);
    tk::setAttr(panel, 0, tk::Attr::BackColor, kPaleYellow);
    tk::setAttr(panel, 0, tk::Attr::WindowFrame, 0);
    box = tk::newCtrl(panel, tk::Kind::TextBox, "", 0, 0, kHeight, kWidth);
    tk::setAttr(panel, box, tk::Attr::BackColor, kPaleYellow);
}

std::string withoutCarriageReturns(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i] == '\r' ? '\n' : text[i];
    }
    return out;
}

} // namespace

void msgpShow(std::string_view text)
{
    if (!made())
        make();
    tk::resetTextBox(panel, box, withoutCarriageReturns(text));
    tk::setAttr(panel, box, tk::Attr::VisibleLines, tk::numTextBoxLines(panel, box));
    tk::setAttr(panel, 0, tk::Attr::Height, tk::attr(panel, box, tk::Attr::Height));
    // No events are pumped here: the operation behind the message runs on, and
    // the toolkit shows the panel at once without dispatching input.
    tk::displayPanel(panel);
}

void msgpHide()
{
    if (made())
        tk::hidePanel(panel);
}

int msgpPanel()
{
    return made() ? panel : 0;
}

void msgpForget()
{
    panel = 0;
    box = 0;
}
