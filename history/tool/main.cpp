// ksil_history: the history of runs on the command line: lists, one run,
// CSV and JSON exports, the drift of a stage, charts of a run and of the
// drift, the as-found backups, and the runs waiting for the lab server.
#include "history/tool/chart_output.h"
#include "history/tool/text_view.h"

#include "history/export.h"
#include "history/history.h"
#include "history/text.h"

#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace history;

enum Exit {
    kOk = 0,
    kUsage = 1,       // the command line is wrong
    kUnusable = 2,    // the history cannot be opened or read
    kNotFound = 3,    // no such run, or nothing to show for a drift
    kStillWaiting = 4, // send: runs still wait for the server
    kOutput = 5,      // the output could not be written
};

constexpr const char* kHelp = R"(ksil_history — история запусков панели КСИЛ2-4Л

Вызов:
  ksil_history [ОБЩИЕ] list    [ОТБОР]
  ksil_history [ОБЩИЕ] show    ЗАПУСК
  ksil_history [ОБЩИЕ] csv     [--cells] [--separator C] [--bom] [ЗАПУСК... | ОТБОР]
  ksil_history [ОБЩИЕ] json    [ЗАПУСК... | ОТБОР]
  ksil_history [ОБЩИЕ] drift   --carrier НОСИТЕЛЬ --position N [--channel 1|2] [--stage 1..18|R0] [--csv | --chart ФАЙЛ]
  ksil_history [ОБЩИЕ] chart   ЗАПУСК --chart ФАЙЛ
  ksil_history [ОБЩИЕ] backups --carrier НОСИТЕЛЬ [--position N]
  ksil_history [ОБЩИЕ] waiting
  ksil_history [ОБЩИЕ] send

Команды:
  list     запуски, новые первыми
  show     один запуск: модуль, мультиметр, станция, таблицы, точки
  csv      по строке на точку поверки; с --cells по строке на ячейку таблицы калибровки
  json     запуски целиком, массивом JSON
  drift    значения ступени (или всех ступеней) модуля от калибровки к калибровке;
           с --chart график дрейфа в ФАЙЛ (.png или .svg)
  chart    график запуска в ФАЙЛ (.png или .svg): отклонения точек поверки от заданного
           с нормой, или ступеней калибровки от номинала с допуском
  backups  таблицы, прочитанные из flash перед каждой записью
  waiting  сколько запусков ждёт отправки на сервер лаборатории
  send     отправить их сейчас

ЗАПУСК — UUID запуска или его начало (первые знаки, как в list).

Общие:
  --file ПУТЬ       файл SQLite (иначе KSIL_HISTORY_FILE, иначе $XDG_DATA_HOME/ksil2/history.sqlite)
  --server СТРОКА   сервер PostgreSQL (иначе KSIL_HISTORY_PG): "host=... dbname=..." или postgresql://...
  --local           читать локальный файл, даже если сервер задан

Отбор:
  --carrier ТЕКСТ   ресурс VISA носителя или его серийный номер
  --position N      позиция мезонина 1..4
  --kind ВИД[,ВИД]  auto_calibration, point_calibration, write, read, auto_verification,
                    manual_verification, ksil5_verification
  --from ДАТА       начатые не раньше (UTC: 2026-11-02 или 2026-11-02T10:15:30)
  --to ДАТА         начатые не позже этой даты (весь день) или до этого момента
  --limit N         не больше N запусков

Числа пишутся с точкой, кратчайшей записью, читаемой обратно без потерь; время — UTC, ISO 8601.
Коды выхода: 0 успех; 1 неверная командная строка; 2 история недоступна; 3 запуск не найден
(или нет калибровок для drift, нечего показать на графике); 4 send: запуски всё ещё ждут сервера; 5 вывод не записан.
)";

struct Options {
    std::string command;
    std::vector<std::string> runs;
    std::optional<std::string> file, server;
    bool local = false;
    RunFilter filter;
    bool filtered = false;
    ModuleRef module;
    int channel = 0;
    int row = 0;
    bool cells = false;
    bool csv = false;
    std::string chart; // the chart's file
    CsvStyle style;
};

struct UsageError {
    std::string text;
};

std::vector<RunKind> parseKinds(const std::string& text)
{
    std::vector<RunKind> kinds;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string one = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const auto kind = fromCode<RunKind>(one);
        if (!kind)
            throw UsageError{"неизвестный вид запуска \"" + one + "\""};
        kinds.push_back(*kind);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return kinds;
}

int parseNumber(const std::string& option, const std::string& text, int low, int high)
{
    const auto v = parseInteger(text);
    if (!v || *v < low || *v > high)
        throw UsageError{option + ": нужно число от " + std::to_string(low) + " до " + std::to_string(high)};
    return static_cast<int>(*v);
}

UtcMs parseDate(const std::string& option, const std::string& text, bool endOfDay)
{
    const auto t = parseUtc(text);
    if (!t)
        throw UsageError{option + ": неверная дата \"" + text + "\" (нужно 2026-11-02 или 2026-11-02T10:15:30)"};
    const bool dateOnly = text.size() == 10;
    if (endOfDay)
        return dateOnly ? *t + 24LL * 3600 * 1000 : *t + 1;
    return *t;
}

Options parse(int argc, char** argv)
{
    Options o;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.starts_with("--"))
            if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.erase(eq);
            }
        const auto value = [&]() -> std::string {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= args.size())
                throw UsageError{arg + ": нет значения"};
            return args[++i];
        };
        const auto flag = [&] {
            if (inlineValue)
                throw UsageError{arg + " не принимает значения"};
        };
        if (arg == "--help" || arg == "-h") {
            o.command = "help";
            return o;
        }
        if (arg == "--file") {
            o.file = value();
        } else if (arg == "--server") {
            o.server = value();
        } else if (arg == "--local") {
            flag();
            o.local = true;
        } else if (arg == "--carrier") {
            o.module.carrier = value();
            o.filtered = true;
        } else if (arg == "--position") {
            o.module.position = parseNumber(arg, value(), 1, kMezzaninePositions);
            o.filtered = true;
        } else if (arg == "--kind") {
            o.filter.kinds = parseKinds(value());
            o.filtered = true;
        } else if (arg == "--from") {
            o.filter.from = parseDate(arg, value(), false);
            o.filtered = true;
        } else if (arg == "--to") {
            o.filter.until = parseDate(arg, value(), true);
            o.filtered = true;
        } else if (arg == "--limit") {
            o.filter.limit = parseNumber(arg, value(), 1, 1000000000);
            o.filtered = true;
        } else if (arg == "--channel") {
            o.channel = parseNumber(arg, value(), 1, kChannelCount);
        } else if (arg == "--stage") {
            const std::string s = value();
            const auto row = rowOfLabel(s);
            if (!row)
                throw UsageError{"--stage: нужна ступень 1..18 или R0, а не \"" + s + "\""};
            o.row = *row;
        } else if (arg == "--cells") {
            flag();
            o.cells = true;
        } else if (arg == "--csv") {
            flag();
            o.csv = true;
        } else if (arg == "--chart") {
            o.chart = value();
            if (o.chart.empty())
                throw UsageError{"--chart: нужно имя файла"};
        } else if (arg == "--bom") {
            flag();
            o.style.byteOrderMark = true;
        } else if (arg == "--separator") {
            const std::string s = value();
            if (s == "tab" || s == "\\t")
                o.style.separator = '\t';
            else if (s.size() == 1 && s != "\"" && s != "\n")
                o.style.separator = s[0];
            else
                throw UsageError{"--separator: нужен один знак или tab"};
        } else if (arg.starts_with("-") && arg != "-") {
            throw UsageError{"неизвестный ключ " + arg};
        } else if (o.command.empty()) {
            o.command = arg;
        } else {
            o.runs.push_back(arg);
        }
    }
    if (!o.module.carrier.empty() || o.module.position > 0)
        o.filter.module = o.module;

    static const std::map<std::string, int> commands{{"list", 0}, {"show", 1}, {"csv", 0}, {"json", 0},
                                                     {"drift", 0}, {"backups", 0}, {"waiting", 0}, {"send", 0},
                                                     {"chart", 0}};
    if (o.command.empty())
        throw UsageError{"не задана команда (ksil_history --help)"};
    if (!commands.count(o.command))
        throw UsageError{"неизвестная команда \"" + o.command + "\" (ksil_history --help)"};
    const bool takesRuns = o.command == "show" || o.command == "csv" || o.command == "json" || o.command == "chart";
    if (!takesRuns && !o.runs.empty())
        throw UsageError{o.command + ": лишнее \"" + o.runs.front() + "\""};
    if ((o.command == "show" || o.command == "chart") && o.runs.size() != 1)
        throw UsageError{o.command + ": нужен один запуск"};
    if (o.command == "chart" && o.chart.empty())
        throw UsageError{"chart: нужен --chart ФАЙЛ"};
    if (!o.chart.empty() && o.command != "chart" && o.command != "drift")
        throw UsageError{o.command + ": --chart не к месту"};
    if (!o.chart.empty() && o.csv)
        throw UsageError{"drift: либо --csv, либо --chart"};
    if (!o.runs.empty() && o.filtered)
        throw UsageError{o.command + ": либо запуски, либо отбор, не вместе"};
    if ((o.command == "drift" || o.command == "backups") && o.module.carrier.empty())
        throw UsageError{o.command + ": нужен --carrier"};
    if (o.command == "drift" && o.module.position == 0)
        throw UsageError{"drift: нужна --position"};
    if (o.local && o.command == "send")
        throw UsageError{"send: --local не к месту"};
    return o;
}

// A run not found is 3; everything else, a missing history file included, 2.
int fail(const Status& s, bool opening = false)
{
    std::cerr << "ksil_history: " << s.message << '\n';
    return s.code == Code::NotFound && !opening ? kNotFound : kUnusable;
}

int finish()
{
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "ksil_history: вывод не записан\n";
        return kOutput;
    }
    return kOk;
}

// The runs named, or those the filter selects (every run without either).
Result<std::vector<Run>> selectRuns(History& h, const Options& o, History::Source source)
{
    std::vector<Run> runs;
    if (!o.runs.empty()) {
        for (const std::string& id : o.runs) {
            auto r = h.loadRun(id, source);
            if (!r.ok())
                return {r.status};
            runs.push_back(std::move(r.value));
        }
        return {{}, std::move(runs)};
    }
    const auto list = h.listRuns(o.filter, source);
    if (!list.ok())
        return {list.status};
    // Exports read oldest first, as the runs were made.
    for (auto it = list.value.rbegin(); it != list.value.rend(); ++it) {
        auto r = h.loadRun(it->info.id, source);
        if (!r.ok())
            return {r.status};
        runs.push_back(std::move(r.value));
    }
    return {{}, std::move(runs)};
}

int runCommand(const Options& o)
{
    const auto environment = configFromEnvironment();
    Config config = environment.value;
    // A failure of the environment counts unless the command line replaces what failed.
    const bool localMissing = config.localFile.empty();
    if (o.file)
        config.localFile = *o.file;
    if (o.server) {
        const auto server = parseServer(*o.server);
        if (!server.ok())
            return fail(server.status);
        config.server = server.value;
    }
    if (!environment.ok() && (localMissing ? !o.file : !o.server))
        return fail(environment.status);

    History h;
    const History::Source source = o.local ? History::Source::Local : History::Source::Primary;
    const bool viaServer = config.server && !o.local;
    if (o.command == "send") {
        if (!config.server)
            return fail(Status::failure(Code::Config, std::string("сервер не задан (") + kServerVariable + " или --server)"));
        if (Status s = h.open(config); !s.ok())
            return fail(s, true);
        const auto sent = h.sendWaiting();
        std::cout << "Отправлено: " << sent.sent << ", ждут отправки: " << sent.waiting << '\n';
        if (!sent.status.ok())
            std::cerr << "ksil_history: " << sent.status.message << '\n';
        const int out = finish();
        return out != kOk ? out : sent.waiting > 0 ? kStillWaiting : kOk;
    }
    // Reading only: nothing is created or migrated. The local file matters
    // only when it is read, or for the runs waiting in it.
    Status opened = h.openToRead(config);
    if (!opened.ok() && (!viaServer || o.command == "waiting"))
        return fail(opened, true);

    if (o.command == "waiting") {
        const auto n = h.waiting();
        if (!n.ok())
            return fail(n.status);
        std::cout << "Ждут отправки на сервер: " << n.value << '\n';
        return finish();
    }
    if (o.command == "list") {
        const auto runs = h.listRuns(o.filter, source);
        if (!runs.ok())
            return fail(runs.status);
        tool::printRunList(std::cout, runs.value);
        return finish();
    }
    if (o.command == "show" || o.command == "chart") {
        const auto run = h.loadRun(o.runs.front(), source);
        if (!run.ok())
            return fail(run.status);
        if (o.command == "show") {
            tool::printRun(std::cout, run.value);
            return finish();
        }
        const tool::ChartWritten written = tool::writeRunChart(run.value, o.chart);
        if (!written.why.empty()) {
            std::cerr << "ksil_history: " << written.why << '\n';
            return written.nothingToShow ? kNotFound : kOutput;
        }
        return kOk;
    }
    if (o.command == "csv" || o.command == "json") {
        const auto runs = selectRuns(h, o, source);
        if (!runs.ok())
            return fail(runs.status);
        if (o.command == "json")
            writeRunsJson(std::cout, runs.value);
        else if (o.cells)
            writeCellsCsv(std::cout, runs.value, o.style);
        else
            writePointsCsv(std::cout, runs.value, o.style);
        return finish();
    }
    if (o.command == "backups") {
        const auto backups = h.listBackups(o.module, source);
        if (!backups.ok())
            return fail(backups.status);
        tool::printBackups(std::cout, backups.value);
        return finish();
    }
    // drift
    const auto drift = h.drift({o.module, o.channel, o.row}, source);
    if (!drift.ok())
        return fail(drift.status);
    if (drift.value.empty() && !o.chart.empty()) {
        std::cerr << "ksil_history: нет калибровок модуля для графика\n";
        return kNotFound;
    }
    if (!o.chart.empty()) {
        if (const std::string why = tool::writeDriftChart(drift.value, o.row, o.chart); !why.empty()) {
            std::cerr << "ksil_history: " << why << '\n';
            return kOutput;
        }
        return kOk;
    }
    if (o.csv)
        writeDriftCsv(std::cout, drift.value, o.module, o.style);
    else
        tool::printDrift(std::cout, drift.value, o.module);
    const int out = finish();
    return out != kOk ? out : drift.value.empty() ? kNotFound : kOk;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    try {
        options = parse(argc, argv);
    } catch (const UsageError& e) {
        std::cerr << "ksil_history: " << e.text << '\n';
        return kUsage;
    }
    if (options.command == "help") {
        std::cout << kHelp;
        return finish();
    }
    try {
        return runCommand(options);
    } catch (const std::exception& e) {
        std::cerr << "ksil_history: " << e.what() << '\n';
        return kUnusable;
    }
}
