// The progress line of an automatic run.
#include "p_ksil2/run_progress.h"

#include "p_ksil2/run_paint.h"
#include "platform/clock.h"
#include "toolkit/toolkit.h"

#include <algorithm>
#include <cmath>

RunProgress::RunProgress(int panel, int ctrl, int total, const char* afterChannel)
    : panel_(panel), ctrl_(ctrl), total_(total), afterChannel_(afterChannel), start_(Timer())
{
}

void RunProgress::next(int channel, const char* unit, int step, int steps)
{
    std::string text = "Канал " + std::to_string(channel) + afterChannel_ + unit;
    if (step > 0)
        text += " " + std::to_string(step) + " из " + std::to_string(steps);
    const int left = total_ - done_;
    text += "\nосталось " + std::to_string(left) + " из " + std::to_string(total_);
    // The time left from the pace so far: the meter's own time varies with the range.
    if (done_ > 0)
        text += ",\n" + timeLeftText((Timer() - start_) / done_ * left);
    tk::setValue(panel_, ctrl_, text);
    resultShown();
}

void RunProgress::measured()
{
    ++done_;
}

void RunProgress::end(const std::string& text)
{
    tk::setValue(panel_, ctrl_, text);
    resultShown();
}

DimmedWhileRunning::DimmedWhileRunning(int panel, int ctrl)
    : menu_(false), owner_(panel), id_(ctrl), before_(tk::attr(panel, ctrl, tk::Attr::Dimmed) != 0)
{
    set(true);
}

DimmedWhileRunning::DimmedWhileRunning(MenuItem item)
    : menu_(true), owner_(item.menuBar), id_(item.item), before_(tk::menuItemDimmed(item.menuBar, item.item))
{
    set(true);
}

DimmedWhileRunning::~DimmedWhileRunning()
{
    tk::deliverHeldInput();
    set(before_);
}

void DimmedWhileRunning::set(bool dimmed) const
{
    if (menu_)
        tk::setMenuItemDimmed(owner_, id_, dimmed);
    else
        tk::setAttr(owner_, id_, tk::Attr::Dimmed, dimmed ? 1 : 0);
}

std::string countText(int n, const char* one, const char* few, const char* many)
{
    const int tens = n % 100, units = n % 10;
    const char* word = many;
    if (tens < 11 || tens > 14) {
        if (units == 1)
            word = one;
        else if (units >= 2 && units <= 4)
            word = few;
    }
    return std::to_string(n) + " " + word;
}

std::string timeLeftText(double seconds)
{
    const long whole = std::max(1L, std::lround(std::ceil(seconds)));
    if (whole < 60)
        return "около " + std::to_string(whole) + " с";
    std::string text = "около " + std::to_string(whole / 60) + " мин";
    if (whole % 60 != 0)
        text += " " + std::to_string(whole % 60) + " с";
    return text;
}
