// The multimeter layer's way to the operator: the driver-call report on the
// status line, the hooks the program hands in, and the one message box of
// the layer's own.
#include "gauge/bindings.h"
#include "gauge/layer.h"

#include "toolkit/toolkit.h"

#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <utility>

ViStatus meterStatus = 0;

namespace gauge {
namespace {

constexpr const char* kSearchTitle = "Панель поверки-калибровки";
constexpr const char* kNoMeterText = "Мультиметр не найден";

OperatorHooks hooks;

// Drops a letter that a driver cut short at the end of its buffer.
void dropCutLetter(std::string& text)
{
    std::size_t start = text.size();
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return;
    const auto lead = static_cast<unsigned char>(text[start - 1]);
    const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (text.size() - (start - 1) < need)
        text.resize(start - 1);
}

// The error-message entry of the driver a call text names ("p_<family>_...");
// the carrier's statuses are worded by the mezzanine meter's driver, which
// reaches the carrier through it. Null when the text names none that is bound.
meter_error_message_t messageEntryOf(std::string_view label)
{
    const std::pair<std::string_view, meter_error_message_t> families[] = {
        {"p_hpe1412_", p_hpe1412_error_message}, {"p_hp3458a_", p_hp3458a_error_message},
        {"p_tvmultc1_", p_tvmultc1_error_message}, {"p_tvmult_", p_tvmult_error_message},
        {"p_tvmmultc1_", p_tvmmultc1_error_message}, {"p_tvbase_", p_tvmmultc1_error_message}};
    for (const auto& [prefix, entry] : families)
        if (label.substr(0, prefix.size()) == prefix)
            return entry;
    return nullptr;
}

// The message for status of the driver whose call failed, else of the first
// open meter's driver; empty when there is neither.
std::string driverMessage(std::string_view label, ViStatus status)
{
    meter_error_message_t errorMessage = messageEntryOf(label);
    if (errorMessage == nullptr) {
        if (viHP1412)
            errorMessage = p_hpe1412_error_message;
        else if (viHP3458)
            errorMessage = p_hp3458a_error_message;
        else if (viDMM)
            errorMessage = p_tvmult_error_message;
        else if (viDMM1)
            errorMessage = p_tvmultc1_error_message;
        else if (viM_DMM1)
            errorMessage = p_tvmmultc1_error_message;
    }
    if (!errorMessage)
        return {};
    std::array<ViChar, 256> buffer{};
    errorMessage(0, status, buffer.data());
    buffer.back() = '\0';
    std::string text = buffer.data();
    dropCutLetter(text);
    return text;
}

} // namespace

ViStatus checked(std::string_view label, ViStatus status)
{
    meterStatus = status;
    if (status == 0)
        return status;
    std::string text(label.substr(0, label.find('(')));
    text += driverMessage(label, status);
    if (hooks.showStatus)
        hooks.showStatus(text.c_str());
    return status;
}

ViStatus notANumber(std::string_view label, double reading)
{
    meterStatus = kStatusNotANumber;
    std::string text(label.substr(0, label.find('(')));
    text += "показание мультиметра не является числом (";
    text += std::isnan(reading) ? "nan" : reading < 0 ? "-inf" : "inf";
    text += ")";
    if (hooks.showStatus)
        hooks.showStatus(text.c_str());
    return kStatusNotANumber;
}

void setOperatorHooks(const OperatorHooks& h)
{
    hooks = h;
}

std::optional<Choice> choose(const char* title, int modelCode)
{
    return hooks.choose ? hooks.choose(title, modelCode) : std::nullopt;
}

void showWait(std::string_view text)
{
    if (hooks.showWait)
        hooks.showWait(text);
}

void hideWait()
{
    if (hooks.hideWait)
        hooks.hideWait();
}

void meterChanged()
{
    if (hooks.meterChanged)
        hooks.meterChanged();
}

void tellNoMeter()
{
    tk::messagePopup(kSearchTitle, kNoMeterText);
}

bool validReading(double value)
{
    return std::isfinite(value);
}

} // namespace gauge
