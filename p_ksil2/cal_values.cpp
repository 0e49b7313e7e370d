// The rules of what a stage value and an R0 may be.
#include "p_ksil2/cal_values.h"

#include "platform/number_text.h"

#include <cmath>

namespace calvalues {

namespace {

// As the table's cell shows it.
std::string number(double v)
{
    return platform::numberText(v);
}

// What makes a value no resistance at all, whatever the cell: empty when it is one.
std::string notAResistance(double value)
{
    if (std::isnan(value))
        return "не число";
    if (std::isinf(value))
        return "бесконечное значение";
    if (isOverload(value))
        return "перегрузка или обрыв цепи (" + number(value) + ")";
    return {};
}

} // namespace

bool isOverload(double value)
{
    return value >= kOverload;
}

bool farFromNominal(double value, double nominal)
{
    return std::fabs(value - nominal) > kStageFraction * nominal;
}

Check checkStage(double value, double nominal)
{
    if (std::string why = notAResistance(value); !why.empty())
        return {Verdict::Bad, why};
    if (value <= 0.0)
        return {Verdict::Bad, "значение ступени должно быть больше нуля (" + number(value) + ")"};
    if (farFromNominal(value, nominal))
        return {Verdict::Implausible, "значение " + number(value) + " отличается от номинала " + number(nominal) +
                                          " более чем на " + number(kStageFraction * 100) + " %"};
    return {};
}

Check checkR0(double value)
{
    if (std::string why = notAResistance(value); !why.empty())
        return {Verdict::Bad, why};
    if (value < 0.0)
        return {Verdict::Bad, "R0 не может быть отрицательным (" + number(value) + ")"};
    if (value > kR0Highest)
        return {Verdict::Implausible, "R0 = " + number(value) + " Ом больше " + number(kR0Highest) + " Ом"};
    return {};
}

} // namespace calvalues
