// The multimeter layer's way to the operator: the driver-call report on the
// status line, the hooks the program hands in, and the one message box of
// the layer's own.
#include "gauge/bindings.h"
#include "gauge/layer.h"

#include "platform/utf8.h"
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

constexpr std::string_view kCarrierCallPrefix = "p_tvbase_";

// The error-message entry of the driver a call text names ("p_<family>_...");
// the carrier's statuses are worded by the mezzanine meter's driver, which
// reaches the carrier through it. Null when the text names none that is bound.
meter_error_message_t messageEntryOf(std::string_view label)
{
    for (const MeterSlot& slot : kMeterSlots)
        if (label.starts_with(slot.callPrefix))
            return *slot.errorMessage;
    if (label.starts_with(kCarrierCallPrefix))
        return *slotOf(Meter::MezDmm).errorMessage;
    return nullptr;
}

// The message for status of the driver whose call failed, else of the first
// open meter's driver; empty when there is neither.
std::string driverMessage(std::string_view label, ViStatus status)
{
    meter_error_message_t errorMessage = messageEntryOf(label);
    if (errorMessage == nullptr)
        if (const auto meter = openMeter(kReadingOrder))
            errorMessage = *slotOf(*meter).errorMessage;
    if (!errorMessage)
        return {};
    std::array<ViChar, 256> buffer{};
    errorMessage(0, status, buffer.data());
    buffer.back() = '\0';
    // A letter the driver cut short at the end of its buffer is dropped.
    const std::string_view text = buffer.data();
    return std::string(platform::utf8Cut(text, text.size()));
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
