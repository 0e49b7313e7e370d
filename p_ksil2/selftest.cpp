// The module's self-test on the ST pop-up, and the driver's questions during it.
#include "p_ksil2/selftest.h"

#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/status_line.h"
#include "drivers/tvksil2.h"
#include "platform/clock.h"
#include "toolkit/toolkit.h"

#include <array>
#include <cstdio>

namespace {

constexpr const char* kPassedText = "Самоконтроль завершен успешно";
constexpr const char* kRunningText = "Идёт самоконтроль.\nЖдите ...";
constexpr const char* kNoSessionText = "Сеанс не открыт";
constexpr double kNoSessionWait = 1.0;

void showAnswerButtons(bool visible)
{
    tk::setAttr(hST, ST_CANCEL, tk::Attr::Visible, visible ? 1 : 0);
    tk::setAttr(hST, ST_STOP, tk::Attr::Visible, visible ? 1 : 0);
}

// Hides the answer buttons however the wait for the answer ends.
struct AnswerButtons {
    AnswerButtons() { showAnswerButtons(true); }
    ~AnswerButtons() { showAnswerButtons(false); }
    AnswerButtons(const AnswerButtons&) = delete;
    AnswerButtons& operator=(const AnswerButtons&) = delete;
};

} // namespace

int SelftestCB(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    std::array<char, 256> text{};
    std::snprintf(text.data(), text.size(), "%s", kPassedText);
    ViInt16 code = 0;

    tk::setValue(hST, ST_MSG, kRunningText);
    tk::setAttr(hST, ST_CLOSE, tk::Attr::Dimmed, 1);
    selftestAnswer = -1;
    tk::installPopup(hST);

    if (mvi != 0) {
        // The text and code are shown as they come back, but a failed call must
        // not leave the pre-filled success text standing: it shows why it failed.
        const ViStatus status = tvksil2_self_test(mvi, &code, text.data());
        if (status < 0) {
            tvksil2_error_message(0, status, text.data());
            reportStatus("tvksil2_self_test (mvi, &result, text)", status);
        }
    } else {
        Delay(kNoSessionWait);
        std::snprintf(text.data(), text.size(), "%s", kNoSessionText);
    }
    text.back() = '\0';

    tk::setValue(hST, ST_RESULT, static_cast<double>(code));
    tk::setValue(hST, ST_MSG, text.data());
    tk::setAttr(hST, ST_CLOSE, tk::Attr::Dimmed, 0);
    return 0;
}

ViInt16 selftestAsk(ViInt32, ViInt32, ViInt32 code, const char* text)
{
    AnswerButtons buttons;
    tk::setValue(hST, ST_RESULT, static_cast<double>(static_cast<ViInt16>(code)));
    tk::setValue(hST, ST_MSG, text ? text : "");
    selftestAnswer = -1;
    while (selftestAnswer == -1)
        tk::processEvents();
    return static_cast<ViInt16>(selftestAnswer);
}

int continueSelftest(int, int, int event, void*, int, int)
{
    if (event == tk::EVENT_COMMIT)
        selftestAnswer = 0;
    return 0;
}

int stopSelftest(int, int, int event, void*, int, int)
{
    if (event == tk::EVENT_COMMIT)
        selftestAnswer = 1;
    return 0;
}
