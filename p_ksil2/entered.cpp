#include "p_ksil2/entered.h"

#include "gauge/gauge.h"
#include "platform/number_text.h"
#include "toolkit/toolkit.h"

#include <string>

namespace {

// The field's label as one line, without the blanks around it.
std::string fieldName(int panel, int ctrl)
{
    std::string label = tk::attrText(panel, ctrl, tk::Attr::LabelText);
    for (char& c : label)
        if (c == '\n' || c == '\r')
            c = ' ';
    const auto first = label.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return label.substr(first, label.find_last_not_of(' ') - first + 1);
}

void refuse(int panel, int ctrl, const std::string& why)
{
    const std::string text = "Поле «" + fieldName(panel, ctrl) + "»: значение " + tk::textValue(panel, ctrl) + why;
    tk::messagePopup(tk::attrText(panel, 0, tk::Attr::Title), text);
    tk::setActiveCtrl(panel, ctrl);
}

} // namespace

std::optional<double> enteredSetting(int panel, int ctrl)
{
    double lo = 0.0, hi = 0.0;
    if (tk::numericRange(panel, ctrl, lo, hi) != tk::OK)
        return enteredReading(panel, ctrl); // a field that takes any number
    const double v = tk::numValue(panel, ctrl);
    if (v >= lo && v <= hi) // never true for NaN
        return v;
    refuse(panel, ctrl, " вне допустимых пределов от " + platform::numberText(lo) + " до " + platform::numberText(hi) + ".");
    return std::nullopt;
}

std::optional<double> enteredReading(int panel, int ctrl)
{
    const double v = tk::numValue(panel, ctrl);
    if (gauge::validReading(v))
        return v;
    refuse(panel, ctrl, " не является конечным числом.");
    return std::nullopt;
}
