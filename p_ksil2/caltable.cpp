// CP's calibration table: the record behind it, where its cells came from,
// its colours, DEFAULT and WRITE, and the operations kept for the КСИЛ2-4Л.
#include "p_ksil2/caltable.h"

#include "p_ksil2/chart_link.h"

#include "p_ksil2/app_state.h"
#include "p_ksil2/cal_values.h"
#include "p_ksil2/calibration_rules.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/module_calls.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/run_record.h"
#include "p_ksil2/status_line.h"
#include "toolkit/model.h"
#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

#include <array>
#include <cstring>
#include <new>
#include <string>
#include <utility>

namespace {

constexpr const char* kNoModule = "Мезонин не открыт: записать flash некуда.";
constexpr const char* kWritten = "Таблица записана во flash";
constexpr const char* kUnsavedNote = "есть незаписанные\nизменения"; // beside the table: narrow
constexpr const char* kNoBackup = "Не удалось прочитать flash мезонина перед записью: прежние коэффициенты "
                                  "не сохранены в истории.\nЗаписать таблицу во flash без резервной копии?";
constexpr const char* kReadBackFailed = "Запись flash не проверена: flash не прочитан после записи";
constexpr const char* kReadBackDiffers = "Запись flash не подтверждена: прочитано не то, что записано, ячейка ";

std::string tableOrigin;

using CellFlags = std::array<std::array<bool, kCalR0Row>, kChannels>; // [channel - 1][row - 1]
CellFlags known{};
CellFlags changed{};

void fill(CellFlags& flags, bool value)
{
    for (auto& column : flags)
        column.fill(value);
}

// CP's note of the cells the flash does not hold yet.
void showUnsaved()
{
    if (hCP <= 0)
        return;
    const int n = changedCalCells();
    const std::string note = std::string(kUnsavedNote) + " (ячеек: " + std::to_string(n) + ")";
    tk::setValue(hCP, CP_UNSAVED, n == 0 ? std::string() : note);
}

bool inTable(int row, int channel)
{
    return row >= 1 && row <= kCalR0Row && channel >= 1 && channel <= kChannels;
}

bool otherModelOpen()
{
    return mvi != 0 && moduleModel != KSIL2_MODEL;
}

std::string modelName(std::int32_t model)
{
    if (model == KSIL5_MODEL)
        return "КСИЛ5";
    return "с кодом модели " + std::to_string(model);
}

// The cell as the operator sees it named: its row label and its channel.
std::string cellName(int row, int channel)
{
    std::string label = std::to_string(row);
    if (const tk::model::Control* table = tk::model::control(hCP, CP_TABLE);
        table && static_cast<std::size_t>(row) <= table->rowLabels.size())
        label = table->rowLabels[static_cast<std::size_t>(row - 1)];
    return "«" + label + "», канал " + std::to_string(channel);
}

// What WRITE is about to store, in the order it is stored: false, after
// saying which cell and why, when a cell is not known or holds no resistance,
// or when the operator does not confirm a value far from a healthy module's.
bool tableFitForFlash()
{
    std::string questioned; // the first value to be confirmed
    int toConfirm = 0;
    for (int channel = 1; channel <= kChannels; ++channel) {
        for (int row = 1; row <= kCalR0Row; ++row) {
            const std::string cell = cellName(row, channel);
            if (!known[static_cast<std::size_t>(channel - 1)][static_cast<std::size_t>(row - 1)]) {
                tk::messagePopup(calibration::kTitle,
                                 "Запись flash отменена: ячейка " + cell +
                                     " не прочитана из flash мезонина, не измерена, не сброшена к номиналу "
                                     "и не введена.");
                return false;
            }
            const double value = tk::cellNum(hCP, CP_TABLE, row, channel);
            const calvalues::Check check =
                row == kCalR0Row ? calvalues::checkR0(value)
                                 : calvalues::checkStage(value, nominalR[static_cast<std::size_t>(row - 1)]);
            if (check.verdict == calvalues::Verdict::Bad) {
                tk::messagePopup(calibration::kTitle,
                                 "Запись flash отменена: ячейка " + cell + ": " + check.why + ".");
                return false;
            }
            if (check.verdict == calvalues::Verdict::Implausible && toConfirm++ == 0)
                questioned = "Ячейка " + cell + ": " + check.why + ".";
        }
    }
    if (toConfirm == 0)
        return true;
    if (toConfirm > 1)
        questioned += "\nТаких ячеек всего: " + std::to_string(toConfirm) + ".";
    // A careless Enter keeps the flash as it is.
    return tk::confirmPopup(calibration::kTitle, questioned + "\nЗаписать таблицу во flash?", 0) == 1;
}

// Bit for bit: a NaN or a signed zero counts as written only when it is the same.
bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The first cell whose read-back differs from what was written: {row, channel}, or {0, 0}.
std::pair<int, int> firstDifference(const history::TableValues& written, const history::TableValues& read)
{
    for (int channel = 1; channel <= kChannels; ++channel)
        for (int row = 1; row <= kCalR0Row; ++row) {
            const auto c = static_cast<std::size_t>(channel - 1), r = static_cast<std::size_t>(row - 1);
            if (!sameBits(written[c][r], read[c][r]))
                return {row, channel};
        }
    return {0, 0};
}

// The flash read just after a WRITE, compared with what was written; a
// difference or a failed read is shown in red on the status line.
// True when the flash reads back what was written.
bool checkReadBack(tvksil2_device_data& record, const history::TableValues& written, history::Run& run)
{
    const std::optional<ViStatus> status = readModuleFlash(record);
    if (!status || *status != 0) {
        if (status) {
            reportStatus("tvksil2_readFlash", *status);
            showStatusProblem(std::string(kReadBackFailed) + ": " + statusLineText());
        } else {
            showStatusProblem(kReadBackFailed);
        }
        run.readBack = history::ReadBack::Failed;
        return false;
    }
    const history::TableValues read = recordValues(record);
    run.tables.push_back(history::wholeTable(history::TableRole::ReadBack, read));
    const auto [row, channel] = firstDifference(written, read);
    if (row == 0) {
        run.readBack = history::ReadBack::Match;
        return true;
    }
    run.readBack = history::ReadBack::Mismatch;
    showStatusProblem(kReadBackDiffers + cellName(row, channel));
    return false;
}

} // namespace

void setCalTableOrigin(std::string origin)
{
    tableOrigin = std::move(origin);
}

const std::string& calTableOrigin()
{
    return tableOrigin;
}

CalRecord::CalRecord()
{
    if (mvi != 0)
        lookup_ = tvksil2_get_attribute(mvi, &record_);
    if (!record_) {
        own_.reset(new (std::nothrow) tvksil2_device_data{});
        record_ = own_.get();
    }
}

bool CalRecord::refused() const
{
    if (lookup_ >= 0)
        return false;
    reportStatus(moduleCallText(ModuleCall::GetAttribute), lookup_);
    return true;
}

void forgetCalCells()
{
    tableOrigin.clear();
    fill(known, false);
    calTableSaved();
}

void knowCalCells()
{
    tableOrigin.clear();
    fill(known, true);
    fill(changed, true);
    showUnsaved();
}

void knowCalCell(int row, int channel)
{
    tableOrigin.clear();
    if (!inTable(row, channel))
        return;
    known[static_cast<std::size_t>(channel - 1)][static_cast<std::size_t>(row - 1)] = true;
    changed[static_cast<std::size_t>(channel - 1)][static_cast<std::size_t>(row - 1)] = true;
    showUnsaved();
}

void calTableSaved()
{
    fill(changed, false);
    showUnsaved();
}

int changedCalCells()
{
    int n = 0;
    for (const auto& column : changed)
        for (const bool cell : column)
            n += cell ? 1 : 0;
    return n;
}

void storeCalCell(int row, int channel, double value, int colour)
{
    chartCalibrationCell();
    tk::setCellTextColor(hCP, CP_TABLE, row, channel, colour);
    tk::setCell(hCP, CP_TABLE, row, channel, value);
    knowCalCell(row, channel);
}

bool refuseOtherModel()
{
    if (!otherModelOpen())
        return false;
    tk::messagePopup(calibration::kTitle, "Открыт мезонин " + modelName(moduleModel) +
                                              ".\nКалибровка и операции с flash выполняются только для КСИЛ2-4Л.");
    return true;
}

void updateCalibrationControls()
{
    const int other = otherModelOpen() ? 1 : 0;
    for (const int ctrl : {CP_READ, CP_WRITE, CP_DEFAULT, CP_TABLE})
        tk::setAttr(hCP, ctrl, tk::Attr::Dimmed, other);
    tk::setMenuItemDimmed(hMenuBar, MENUBAR_EXE_CALIBR, other != 0 || windowModel == KSIL5_MODEL);
}

void colourCalTable(int colour)
{
    for (int col = 1; col <= kChannels; ++col)
        for (int row = 1; row <= kCalR0Row; ++row)
            tk::setCellTextColor(hCP, CP_TABLE, row, col, colour);
}

ViStatus setFlash(tvksil2_device_data& record)
{
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int k = 0; k < kStages; ++k)
            record.step[ch * kStages + k] = tk::cellNum(hCP, CP_TABLE, k + 1, ch + 1);
        record.r0[ch] = tk::cellNum(hCP, CP_TABLE, kCalR0Row, ch + 1);
    }
    return 0;
}

int defaultFlash(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT || refuseOtherModel())
        return 0;
    // Measured or typed values are in no flash yet: a careless Enter keeps them.
    if (const int n = changedCalCells(); n > 0 &&
        tk::confirmPopup(calibration::kTitle,
                         "В таблице есть незаписанные изменения (ячеек: " + std::to_string(n) +
                             ").\nЗаменить таблицу номинальными значениями?",
                         0) != 1)
        return 0;
    colourCalTable(tk::kBlue);
    for (int col = 1; col <= kChannels; ++col) {
        for (int k = 0; k < kStages; ++k)
            tk::setCell(hCP, CP_TABLE, k + 1, col, nominalR[static_cast<std::size_t>(k)]);
        tk::setCell(hCP, CP_TABLE, kCalR0Row, col, 0.0);
    }
    knowCalCells();
    return 0;
}

int writeFlash(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    // Without a session the driver would be handed a record of no module.
    if (mvi == 0) {
        tk::messagePopup(calibration::kTitle, kNoModule);
        return 0;
    }
    if (refuseOtherModel())
        return 0;
    const CalRecord record;
    if (record.refused())
        return 0;
    if (!record.get()) {
        // Nothing can be written without a record; only the line's colour changes.
        reportStatus("calloc memory for device data", 0);
        return 0;
    }
    if (!tableFitForFlash())
        return 0;
    const tk::WaitCursor busy;
    runrecord::Scope run(history::RunKind::Write);
    runrecord::current()->note = calTableOrigin();
    // The flash as found, kept before anything overwrites it.
    if (const std::optional<ViStatus> found = readModuleFlash(*record.get()); found && *found == 0) {
        runrecord::current()->tables.push_back(
            history::wholeTable(history::TableRole::AsFound, recordValues(*record.get())));
    } else {
        if (found)
            reportStatus("tvksil2_readFlash", *found);
        const tk::WaitCursor normal(false); // the operator reads the question
        if (tk::confirmPopup(calibration::kTitle, kNoBackup, 0) != 1)
            return 0;
    }
    lastStatus = setFlash(*record.get());
    if (lastStatus != 0)
        reportStatus("setFlash(device_data)", lastStatus);
    if (lastStatus < 0) {
        runrecord::finish(history::RunEnd::DriverError);
        return 0;
    }
    const history::TableValues written = recordValues(*record.get());
    history::Run& kept = *runrecord::current();
    kept.tables.push_back(history::wholeTable(history::TableRole::AsLeft, written));
    // A failed write leaves the table as entered, so WRITE can be repeated.
    lastStatus = tvksil2_writeFlash(record.get());
    if (lastStatus != 0)
        reportStatus("tvksil2_writeFlash(device_data)", lastStatus);
    if (lastStatus < 0) {
        runrecord::finish(history::RunEnd::DriverError);
        return 0;
    }
    calTableSaved();
    const ViStatus writeStatus = lastStatus;
    // The confirmation only when the flash reads back what was written.
    if (checkReadBack(*record.get(), written, kept) && writeStatus == 0)
        showConfirmation(kWritten);
    lastStatus = writeStatus;
    runrecord::finish(history::RunEnd::Complete);
    return 0;
}
