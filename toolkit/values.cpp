// Control values: set by the program, coerced to the control, read back; the
// range a numeric takes.
#include "toolkit/core_state.h"

#include <climits>
#include <cmath>

namespace tk {

using namespace detail;

namespace {

bool isItemKind(Kind k)
{
    return k == Kind::ListBox || k == Kind::Ring || k == Kind::BinarySwitch;
}

// Selects the item that carries value; false when none does.
bool selectItemByValue(model::Control& c, double value)
{
    const double v = std::round(value);
    for (size_t i = 0; i < c.items.size(); ++i)
        if (c.items[i].value == v) {
            c.index = static_cast<int>(i);
            c.num = c.items[i].value;
            return true;
        }
    return false;
}

} // namespace

int setValue(int panel, int ctrl, double value)
{
    const Target t = targetControl("setValue", panel, ctrl,
                                   {Kind::Numeric, Kind::String, Kind::TextMessage, Kind::Toggle, Kind::Led,
                                    Kind::ListBox, Kind::Ring, Kind::BinarySwitch});
    if (!t)
        return t.status;
    model::Control* c = t.ctrl;
    switch (c->kind) {
    case Kind::ListBox:
    case Kind::Ring:
    case Kind::BinarySwitch:
        if (!selectItemByValue(*c, value))
            return ERR_ARG;
        break;
    case Kind::Toggle:
    case Kind::Led: c->num = value != 0.0 ? 1.0 : 0.0; break;
    case Kind::Numeric: c->num = coerce(*c, value); break;
    default: c->text = formatNumber(value); break;
    }
    notifyControl(panel, ctrl, Change::Value);
    return OK;
}

int setValue(int panel, int ctrl, std::string_view text)
{
    const Target t = targetControl("setValue", panel, ctrl,
                                   {Kind::String, Kind::TextMessage, Kind::TextBox, Kind::Numeric, Kind::ListBox,
                                    Kind::Ring});
    if (!t)
        return t.status;
    model::Control* c = t.ctrl;
    switch (c->kind) {
    case Kind::TextBox:
        c->lines = text.empty() ? std::vector<std::string>{} : splitLines(text);
        c->lineColors.clear();
        c->firstVisibleLine = clampFirstLine(*c, c->firstVisibleLine);
        notifyControl(panel, ctrl, Change::Everything);
        return OK;
    case Kind::Numeric: {
        double v = 0;
        if (!parseNumber(text, v))
            return ERR_ARG;
        c->num = coerce(*c, v);
        break;
    }
    case Kind::ListBox:
    case Kind::Ring: {
        bool found = false;
        for (size_t i = 0; i < c->items.size() && !found; ++i)
            if (c->items[i].label == text) {
                c->index = static_cast<int>(i);
                c->num = c->items[i].value;
                found = true;
            }
        if (!found)
            return ERR_ARG;
        break;
    }
    default:
        c->text = std::string(text);
        break;
    }
    notifyControl(panel, ctrl, Change::Value);
    return OK;
}

double numValue(int panel, int ctrl)
{
    const Target t = targetControl("numValue", panel, ctrl);
    if (!t)
        return 0.0;
    const model::Control* c = t.ctrl;
    if (isItemKind(c->kind)) {
        int v = 0;
        return currentItemValue(*c, v) ? v : 0.0;
    }
    if (c->kind == Kind::String || c->kind == Kind::TextMessage) {
        double v = 0;
        return parseNumber(c->text, v) ? v : 0.0;
    }
    return c->num;
}

int intValue(int panel, int ctrl)
{
    const double v = std::round(numValue(panel, ctrl));
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

std::string textValue(int panel, int ctrl)
{
    const Target t = targetControl("textValue", panel, ctrl);
    if (!t)
        return {};
    const model::Control* c = t.ctrl;
    switch (c->kind) {
    case Kind::String:
    case Kind::TextMessage: return c->text;
    case Kind::TextBox: return joinLines(c->lines);
    case Kind::ListBox:
    case Kind::Ring:
    case Kind::BinarySwitch:
        if (c->index >= 0 && c->index < static_cast<int>(c->items.size()))
            return c->items[static_cast<size_t>(c->index)].label;
        return {};
    case Kind::Numeric:
    case Kind::Toggle:
    case Kind::Led: return formatNumber(c->num);
    default: return {};
    }
}

int numericRange(int panel, int ctrl, double& min, double& max)
{
    const Target t = targetControl("numericRange", panel, ctrl, {Kind::Numeric});
    if (!t)
        return t.status;
    const model::Control* c = t.ctrl;
    if (c->hasLimits) {
        min = c->minValue;
        max = c->maxValue;
        return OK;
    }
    return typeRange(c->type, min, max) ? OK : ERR_ARG;
}

} // namespace tk
