#include "history/record.h"

#include <charconv>

namespace history {

namespace {

template <typename E>
struct Name {
    E value;
    std::string_view code;
    std::string_view words;
};

template <typename E>
struct Names;

template <>
struct Names<RunKind> {
    static constexpr Name<RunKind> all[] = {
        {RunKind::AutoCalibration, "auto_calibration", "Калибровка автоматическая"},
        {RunKind::PointCalibration, "point_calibration", "Калибровка точки"},
        {RunKind::Write, "write", "Запись flash"},
        {RunKind::Read, "read", "Чтение flash"},
        {RunKind::AutoVerification, "auto_verification", "Автоповерка"},
        {RunKind::ManualVerification, "manual_verification", "Поверка вручную"},
        {RunKind::Ksil5Verification, "ksil5_verification", "Поверка КСИЛ5"},
    };
};

template <>
struct Names<RunEnd> {
    static constexpr Name<RunEnd> all[] = {
        {RunEnd::Complete, "complete", "завершён"},
        {RunEnd::Stopped, "stopped", "остановлен оператором"},
        {RunEnd::DriverError, "driver_error", "ошибка драйвера"},
        {RunEnd::MeterFailure, "meter_failure", "сбой мультиметра"},
        {RunEnd::FileError, "file_error", "ошибка файла"},
    };
};

template <>
struct Names<Verdict> {
    static constexpr Name<Verdict> all[] = {
        {Verdict::None, "none", ""},
        {Verdict::Conform, "conform", "соответствует норме"},
        {Verdict::Nonconform, "nonconform", "не соответствует норме"},
    };
};

template <>
struct Names<PointVerdict> {
    static constexpr Name<PointVerdict> all[] = {
        {PointVerdict::Within, "within", "норма"},
        {PointVerdict::Outside, "outside", "не норма"},
    };
};

template <>
struct Names<ReadBack> {
    static constexpr Name<ReadBack> all[] = {
        {ReadBack::NotDone, "not_done", "не выполнено"},
        {ReadBack::Match, "match", "совпадает с записанным"},
        {ReadBack::Mismatch, "mismatch", "НЕ совпадает с записанным"},
        {ReadBack::Failed, "failed", "чтение не удалось"},
    };
};

template <>
struct Names<ReadingsFrom> {
    static constexpr Name<ReadingsFrom> all[] = {
        {ReadingsFrom::None, "none", ""},
        {ReadingsFrom::Meter, "meter", "мультиметр"},
        {ReadingsFrom::Operator, "operator", "оператор"},
    };
};

template <>
struct Names<TableRole> {
    static constexpr Name<TableRole> all[] = {
        {TableRole::Result, "result", "результат калибровки"},
        {TableRole::AsFound, "as_found", "до записи (из flash)"},
        {TableRole::AsLeft, "as_left", "записано"},
        {TableRole::ReadBack, "read_back", "прочитано после записи"},
        {TableRole::Read, "read", "прочитано из flash"},
    };
};

template <>
struct Names<CellState> {
    static constexpr Name<CellState> all[] = {
        {CellState::Stored, "stored", "из flash"},
        {CellState::Within, "within", "в допуске"},
        {CellState::Outside, "outside", "вне допуска"},
        {CellState::NotMeasured, "not_measured", "не измерено"},
    };
};

template <typename E>
const Name<E>& nameOf(E v)
{
    for (const auto& n : Names<E>::all)
        if (n.value == v)
            return n;
    return Names<E>::all[0]; // unreachable for a valid enumerator
}

} // namespace

template <typename E>
std::optional<E> fromCode(std::string_view text)
{
    for (const auto& n : Names<E>::all)
        if (n.code == text)
            return n.value;
    return std::nullopt;
}

template std::optional<RunKind> fromCode<RunKind>(std::string_view);
template std::optional<RunEnd> fromCode<RunEnd>(std::string_view);
template std::optional<Verdict> fromCode<Verdict>(std::string_view);
template std::optional<PointVerdict> fromCode<PointVerdict>(std::string_view);
template std::optional<ReadBack> fromCode<ReadBack>(std::string_view);
template std::optional<ReadingsFrom> fromCode<ReadingsFrom>(std::string_view);
template std::optional<TableRole> fromCode<TableRole>(std::string_view);
template std::optional<CellState> fromCode<CellState>(std::string_view);

std::string_view code(RunKind v) { return nameOf(v).code; }
std::string_view code(RunEnd v) { return nameOf(v).code; }
std::string_view code(Verdict v) { return nameOf(v).code; }
std::string_view code(PointVerdict v) { return nameOf(v).code; }
std::string_view code(ReadBack v) { return nameOf(v).code; }
std::string_view code(ReadingsFrom v) { return nameOf(v).code; }
std::string_view code(TableRole v) { return nameOf(v).code; }
std::string_view code(CellState v) { return nameOf(v).code; }

std::string_view words(RunKind v) { return nameOf(v).words; }
std::string_view words(RunEnd v) { return nameOf(v).words; }
std::string_view words(Verdict v) { return nameOf(v).words; }
std::string_view words(PointVerdict v) { return nameOf(v).words; }
std::string_view words(ReadBack v) { return nameOf(v).words; }
std::string_view words(ReadingsFrom v) { return nameOf(v).words; }
std::string_view words(TableRole v) { return nameOf(v).words; }
std::string_view words(CellState v) { return nameOf(v).words; }

CalTable wholeTable(TableRole role, const TableValues& values, CellState state)
{
    CalTable table{role, {}};
    table.cells.reserve(kChannelCount * kRowCount);
    for (int c = 1; c <= kChannelCount; ++c)
        for (int r = 1; r <= kRowCount; ++r)
            table.cells.push_back({c, r, values[c - 1][r - 1], state, std::nullopt, std::nullopt});
    return table;
}

std::optional<TableValues> tableValues(const CalTable& table)
{
    TableValues values{};
    std::array<std::array<bool, kRowCount>, kChannelCount> seen{};
    int count = 0;
    for (const CalCell& cell : table.cells) {
        if (cell.channel < 1 || cell.channel > kChannelCount || cell.row < 1 || cell.row > kRowCount)
            continue;
        bool& s = seen[cell.channel - 1][cell.row - 1];
        count += !s;
        s = true;
        values[cell.channel - 1][cell.row - 1] = cell.value;
    }
    if (count != kChannelCount * kRowCount)
        return std::nullopt;
    return values;
}

const CalTable* Run::table(TableRole role) const
{
    for (const CalTable& t : tables)
        if (t.role == role)
            return &t;
    return nullptr;
}

std::string rowLabel(int row)
{
    return row == kR0Row ? std::string("R0") : std::to_string(row);
}

std::optional<int> rowOfLabel(std::string_view label)
{
    if (label == "R0" || label == "r0")
        return kR0Row;
    int row = 0;
    const auto [end, ec] = std::from_chars(label.data(), label.data() + label.size(), row);
    if (ec != std::errc() || end != label.data() + label.size() || row < 1 || row > kStageCount)
        return std::nullopt;
    return row;
}

} // namespace history
