#include "history/tool/text_view.h"

#include "history/text.h"

#include <algorithm>

namespace history::tool {

namespace {

std::size_t characters(std::string_view s)
{
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string shortId(const std::string& id) { return id.substr(0, 8); }

std::string orDash(const std::string& s) { return s.empty() ? "—" : s; }

void line(std::ostream& out, std::string_view key, const std::string& value)
{
    out << key;
    for (std::size_t n = characters(key); n < 16; ++n)
        out << ' ';
    out << value << '\n';
}

std::string cellText(const CalCell& c, bool withState)
{
    std::string t = exactText(c.value);
    if (withState && c.state != CellState::Stored)
        t += " (" + std::string(words(c.state)) + ")";
    return t;
}

void printTable(std::ostream& out, const CalTable& table)
{
    out << "\nТаблица: " << words(table.role) << '\n';
    const bool withState = table.role == TableRole::Result;
    if (tableValues(table)) {
        std::vector<std::vector<std::string>> rows{{"ступень", "канал 1", "канал 2"}};
        for (int r = 1; r <= kRowCount; ++r) {
            std::vector<std::string> row{rowLabel(r), "", ""};
            for (const CalCell& c : table.cells)
                if (c.row == r)
                    row[c.channel] = cellText(c, withState);
            rows.push_back(std::move(row));
        }
        printColumns(out, rows, "  ");
        return;
    }
    std::vector<std::vector<std::string>> rows{{"канал", "ступень", "значение, Ом", "отсчёт, Ом", "R0, Ом"}};
    for (const CalCell& c : table.cells)
        rows.push_back({std::to_string(c.channel), rowLabel(c.row), cellText(c, withState),
                        c.reading ? exactText(*c.reading) : "", c.r0Used ? exactText(*c.r0Used) : ""});
    printColumns(out, rows, "  ");
}

} // namespace

void printColumns(std::ostream& out, const std::vector<std::vector<std::string>>& rows, std::string_view indent)
{
    std::vector<std::size_t> widths;
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.push_back(0);
            widths[i] = std::max(widths[i], characters(row[i]));
        }
    for (const auto& row : rows) {
        std::string text(indent);
        for (std::size_t i = 0; i < row.size(); ++i) {
            text += row[i];
            if (i + 1 < row.size())
                text.append(widths[i] - characters(row[i]) + 2, ' ');
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        out << text << '\n';
    }
}

std::string moduleText(const ModuleId& module)
{
    std::string t = module.carrierResource + " #" + std::to_string(module.position);
    if (!module.carrierSerial.empty())
        t += " (s/n " + module.carrierSerial + ")";
    if (!module.modelName.empty())
        t += " " + module.modelName;
    return t;
}

void printRunList(std::ostream& out, const std::vector<RunListEntry>& runs)
{
    if (runs.empty()) {
        out << "Запусков нет.\n";
        return;
    }
    std::vector<std::vector<std::string>> rows{
        {"запуск", "начало (UTC)", "вид", "модуль", "итог", "вердикт", "точек", "ячеек"}};
    for (const RunListEntry& e : runs) {
        std::string verdict(words(e.info.verdict));
        if (e.info.kind == RunKind::Write)
            verdict = "контроль: " + std::string(words(e.info.readBack));
        rows.push_back({shortId(e.info.id), isoUtc(e.info.started), std::string(words(e.info.kind)),
                        moduleText(e.info.module), std::string(words(e.info.end)), verdict, std::to_string(e.points),
                        std::to_string(e.cells)});
    }
    printColumns(out, rows);
}

void printRun(std::ostream& out, const Run& run)
{
    line(out, "Запуск", run.id);
    line(out, "Вид", std::string(words(run.kind)));
    std::string end(words(run.end));
    if (!run.endDetail.empty())
        end += ": " + run.endDetail;
    line(out, "Итог", end);
    line(out, "Начало (UTC)", isoUtc(run.started));
    line(out, "Конец (UTC)", isoUtc(run.ended));
    line(out, "Модуль", orDash(run.module.modelName) + " (код " + std::to_string(run.module.model) + "), позиция " +
                            std::to_string(run.module.position));
    line(out, "Носитель", run.module.carrierResource + ", сер. номер " + orDash(run.module.carrierSerial));
    line(out, "Мультиметр", run.meter.family.empty()
                                ? "—"
                                : run.meter.family + ", " + orDash(run.meter.resource) + ", " +
                                      orDash(run.meter.identification));
    if (run.readingsFrom != ReadingsFrom::None)
        line(out, "Отсчёты", std::string(words(run.readingsFrom)));
    line(out, "Станция", orDash(run.station.host) + ", пользователь " + orDash(run.station.user));
    line(out, "Программа", orDash(run.station.programVersion) + ", CRC32 библиотеки " + orDash(run.station.libraryCrc));
    if (run.verdict != Verdict::None)
        line(out, "Вердикт", std::string(words(run.verdict)));
    if (run.kind == RunKind::Write)
        line(out, "Контроль записи", std::string(words(run.readBack)));
    if (!run.note.empty())
        line(out, "Примечание", run.note);
    if (run.ksil5) {
        const Ksil5Settings& k = *run.ksil5;
        std::string temperature = k.temperatureText;
        if (k.temperatureC)
            temperature += " (" + std::to_string(*k.temperatureC) + " °С)";
        line(out, "Канал КСИЛ5", std::to_string(k.channel));
        line(out, "Режим", k.modeText + " (" + std::to_string(k.mode) + ")");
        line(out, "Температура", temperature);
        line(out, "Допуск, Ом", exactText(k.tolerance));
    }
    for (const CalTable& t : run.tables)
        printTable(out, t);
    if (!run.points.empty()) {
        out << "\nТочки\n";
        std::vector<std::vector<std::string>> rows{
            {"время (UTC)", "канал", "задано, Ом", "измерено, Ом", "норма, Ом", "отклонение, Ом", "вердикт"}};
        for (const VerifyPoint& p : run.points)
            rows.push_back({isoUtc(p.time), std::to_string(p.channel), exactText(p.set), exactText(p.measured),
                            exactText(p.norm), exactText(p.deviation), std::string(words(p.verdict))});
        printColumns(out, rows, "  ");
    }
}

void printBackups(std::ostream& out, const std::vector<RunInfo>& backups)
{
    if (backups.empty()) {
        out << "Резервных копий нет.\n";
        return;
    }
    std::vector<std::vector<std::string>> rows{{"запуск", "время записи (UTC)", "модуль", "итог", "примечание"}};
    for (const RunInfo& b : backups)
        rows.push_back({shortId(b.id), isoUtc(b.started), moduleText(b.module), std::string(words(b.end)), b.note});
    printColumns(out, rows);
}

void printDrift(std::ostream& out, const std::vector<DriftPoint>& drift, const ModuleRef& module)
{
    if (drift.empty()) {
        out << "Калибровок нет.\n";
        return;
    }
    for (std::size_t i = 0; i < drift.size();) {
        const int channel = drift[i].channel, row = drift[i].row;
        out << (i ? "\n" : "") << "Носитель " << module.carrier << ", позиция " << module.position << ", канал "
            << channel << ", ступень " << rowLabel(row) << '\n';
        std::vector<std::vector<std::string>> rows{
            {"время (UTC)", "значение, Ом", "от предыдущей, Ом", "от первой, Ом", "состояние", "вид", "запуск"}};
        for (; i < drift.size() && drift[i].channel == channel && drift[i].row == row; ++i) {
            const DriftPoint& p = drift[i];
            rows.push_back({isoUtc(p.time), exactText(p.value), exactText(p.sincePrevious), exactText(p.sinceFirst),
                            std::string(words(p.state)), std::string(words(p.kind)), shortId(p.runId)});
        }
        printColumns(out, rows, "  ");
    }
}

} // namespace history::tool
