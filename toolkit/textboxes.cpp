// Text boxes: their lines, appended or replaced, and the lines shown.
#include "toolkit/core_state.h"

#include <algorithm>

namespace tk {

using namespace detail;

namespace detail {

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            out += '\n';
        out += lines[i];
    }
    return out;
}

int visibleLinesFor(int height)
{
    return std::max(1, height / 16);
}

// Text box: 0-based top line; table: 1-based top row.
int clampFirstLine(const model::Control& c, int line)
{
    if (c.kind == Kind::Table)
        return std::clamp(line, 1, std::max(1, static_cast<int>(c.cells.size())));
    const int last = std::max(0, static_cast<int>(c.lines.size()) - c.visibleLines);
    return std::clamp(line, 0, last);
}

} // namespace detail

int appendTextBoxLine(int panel, int ctrl, std::string_view line)
{
    const Target t = targetControl("appendTextBoxLine", panel, ctrl, {Kind::TextBox});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    const int first = static_cast<int>(c->lines.size());
    for (auto& l : splitLines(line))
        c->lines.push_back(std::move(l));
    notifyControl(panel, ctrl, Change::LinesAppended, first, 0);
    return OK;
}

int resetTextBox(int panel, int ctrl, std::string_view text)
{
    const Target t = targetControl("resetTextBox", panel, ctrl, {Kind::TextBox});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    c->lines = text.empty() ? std::vector<std::string>{} : splitLines(text);
    c->lineColors.clear();
    c->firstVisibleLine = 0;
    notifyControl(panel, ctrl, Change::Everything);
    return OK;
}

int setTextBoxLineColor(int panel, int ctrl, int index, int colour)
{
    const Target t = targetControl("setTextBoxLineColor", panel, ctrl, {Kind::TextBox});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    if (index < 0 || index >= static_cast<int>(c->lines.size()))
        return ERR_ARG;
    c->lineColors[index] = colour;
    notifyControl(panel, ctrl, Change::LineColor, index, 0);
    return OK;
}

int textBoxLineColor(int panel, int ctrl, int index)
{
    const Target t = targetControl("textBoxLineColor", panel, ctrl, {Kind::TextBox});
    const model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    if (index < 0 || index >= static_cast<int>(c->lines.size()))
        return ERR_ARG;
    const auto it = c->lineColors.find(index);
    return it == c->lineColors.end() ? c->textColor : it->second;
}

int numTextBoxLines(int panel, int ctrl)
{
    const Target t = targetControl("numTextBoxLines", panel, ctrl, {Kind::TextBox});
    const model::Control* c = t.ctrl;
    return c ? static_cast<int>(c->lines.size()) : t.status;
}

std::string textBoxLine(int panel, int ctrl, int index)
{
    const Target t = targetControl("textBoxLine", panel, ctrl, {Kind::TextBox});
    const model::Control* c = t.ctrl;
    if (!c || index < 0 || index >= static_cast<int>(c->lines.size()))
        return {};
    return c->lines[static_cast<size_t>(index)];
}

} // namespace tk
