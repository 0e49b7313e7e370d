// The status line of the main window: where every failed driver call, and
// every other failure the operator must know of, is shown.
#include "p_ksil2/status_line.h"

#include "drivers/tvksil2.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "platform/datetime.h"
#include "platform/utf8.h"
#include "toolkit/toolkit.h"

#include <array>

namespace {

constexpr std::size_t kStatusChars = 255; // the status text is a 256-byte buffer

bool failureShown = false;

void setColour(int colour)
{
    tk::setAttr(hMP, MP_MSG, tk::Attr::TextColor, colour);
    failureShown = colour == tk::kRed;
}

} // namespace

void showStatusProblem(std::string text)
{
    text.resize(platform::utf8Cut(text, platform::kNoLimit, kStatusChars).size());
    tk::setValue(hMP, MP_MSG, text);
    setColour(tk::kRed);
}

void showHistoryProblem(std::string_view problem)
{
    const std::string shown = statusLineText();
    if (!problem.empty() && shown.find(problem) != std::string::npos)
        return;
    std::string text;
    if (!shown.empty() && tk::attr(hMP, MP_MSG, tk::Attr::TextColor) == tk::kRed)
        text = shown + "; ";
    text += "История: ";
    text += problem;
    showStatusProblem(std::move(text));
}

void showStatusProgress(std::string_view text)
{
    tk::setValue(hMP, MP_MSG, text);
    setColour(tk::kBlack);
}

void clearStatusLine()
{
    tk::setValue(hMP, MP_MSG, "");
}

std::string statusLineText()
{
    return tk::textValue(hMP, MP_MSG);
}

bool statusHasFailure()
{
    return failureShown;
}

void reportStatus(const char* callText, ViStatus status)
{
    if (status == 0) {
        setColour(tk::kGrey);
        return;
    }
    std::array<char, 256> message{};
    tvksil2_error_message(0, status, message.data());
    message.back() = '\0';
    std::string text = message.data();
    text += ' ';
    text += callText ? callText : "";
    showStatusProblem(std::move(text));
}

void showConfirmation(std::string_view what)
{
    std::string text(what);
    text += ", ";
    text += platform::timeText(platform::currentTime());
    tk::setValue(hMP, MP_MSG, text);
    setColour(tk::kGrey);
}
