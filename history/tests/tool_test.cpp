// ksil_history run as a lab runs it, on a history the program filled: what it
// prints, what it exports, and its exit codes.
#include "history/tests/backend.h"
#include "history/tests/samples.h"

#include "history/history.h"
#include "history/text.h"
#include "tests/environment/child_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

namespace history::test {
namespace {

const UtcMs kMarch = *parseUtc("2026-03-02T10:00:00");

// Text with every run of blanks made one, to look for a row of aligned columns.
std::string squeezed(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != ' ' || out.empty() || out.back() != ' ')
            out += c;
    return out;
}

struct ToolOutput {
    int code = -1;
    std::string out, err;
    std::vector<std::string> lines() const
    {
        std::vector<std::string> result;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            result.push_back(line);
        return result;
    }
};

// The tool on the history file, and the server when one is given, named only
// by the variables, under a Russian station's locale settings.
ToolOutput runTool(std::vector<std::string> args, const std::string& file, const std::string& server = "")
{
    args.insert(args.begin(), KSIL_HISTORY_TOOL);
    std::vector<std::string> env{"PATH=/usr/bin:/bin", "LANG=ru_RU.UTF-8", "LC_ALL=ru_RU.UTF-8", "HOME=/nonexistent",
                                 std::string(kFileVariable) + "=" + file};
    if (!server.empty())
        env.push_back(std::string(kServerVariable) + "=" + server);
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            env.push_back(std::string(name) + "=" + value);
    Child child({args, env});
    const Child::End end = child.wait();
    return {end.exited ? end.code : -end.code, end.out, end.err};
}

class Tool : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempDir;
        file_ = (folder_->path() / "history.sqlite").string();
        History h;
        ASSERT_TRUE(h.open(Config{file_, std::nullopt}).ok());
        const auto store = [&h](history::Run run) {
            const auto r = h.store(run);
            EXPECT_TRUE(r.status.ok()) << r.status.message;
            return r.id;
        };
        calibration_ = store(calibrationRun(vxiModule(1), kMarch, 0.25));
        store(calibrationRun(vxiModule(1), kMarch + 86'400'000, 0.5));
        write_ = store(writeRun(vxiModule(1), kMarch + 86'400'000 + 60'000, awkwardTable(), nominalTable(0.5)));
        verification_ = store(verificationRun(chassisModule("SN-0042, rev \"B\""), kMarch + 2 * 86'400'000));
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }

    using Output = ToolOutput;
    static Output tool(std::vector<std::string> args, const std::string& file = file_) { return runTool(args, file); }

    static TempDir* folder_;
    static std::string file_, calibration_, write_, verification_;
};

TempDir* Tool::folder_ = nullptr;
std::string Tool::file_, Tool::calibration_, Tool::write_, Tool::verification_;

TEST_F(Tool, ListsRunsNewestFirstAndByModuleKindAndDate)
{
    const Output all = tool({"list"});
    ASSERT_EQ(all.code, 0) << all.err;
    const auto lines = all.lines();
    ASSERT_EQ(lines.size(), 5u) << all.out;
    EXPECT_TRUE(lines[0].starts_with("запуск    начало (UTC)")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with(verification_.substr(0, 8) + "  2026-03-04T10:00:00.000Z  Автоповерка"));
    EXPECT_TRUE(squeezed(lines[1]).ends_with(
        " TCPIP0::192.168.0.7::inst0::INSTR #2 (s/n SN-0042, rev \"B\") КСИЛ2-4Л завершён не соответствует норме 38 0"))
        << lines[1];
    EXPECT_TRUE(lines[4].starts_with(calibration_.substr(0, 8)));

    const Output vxi = tool({"list", "--carrier", "VXI0::2::INSTR", "--position", "1", "--kind", "write,auto_calibration",
                             "--from", "2026-03-03", "--to", "2026-03-03"});
    ASSERT_EQ(vxi.code, 0) << vxi.err;
    ASSERT_EQ(vxi.lines().size(), 3u) << vxi.out;
    EXPECT_TRUE(vxi.lines()[1].starts_with(write_.substr(0, 8)));
    EXPECT_NE(vxi.lines()[1].find("контроль: совпадает с записанным"), std::string::npos) << vxi.out;

    const Output none = tool({"list", "--carrier", "SN-0042, rev \"B\"", "--kind", "write"});
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.out, "Запусков нет.\n");
}

TEST_F(Tool, ShowsOneRunWithItsMeterStationAndTables)
{
    const Output shown = tool({"show", write_.substr(0, 8)});
    ASSERT_EQ(shown.code, 0) << shown.err;
    for (const char* part : {"Вид             Запись flash\n", "Носитель        VXI0::2::INSTR, сер. номер —\n",
                             "Станция         stand-3, пользователь metrolog\n",
                             "Программа       1.1.0, CRC32 библиотеки 1A2B3C4D\n",
                             "Контроль записи совпадает с записанным\n",
                             "Таблица: до записи (из flash)\n  ступень  канал 1             канал 2\n"
                             "  1        1.0000000000000002  2.225073858507201e-308\n"
                             "  2        5e-324              2.001\n",
                             "Таблица: записано\n"})
        EXPECT_NE(shown.out.find(part), std::string::npos) << part << "\n---\n" << shown.out;

    const Output measured = tool({"show", verification_});
    ASSERT_EQ(measured.code, 0) << measured.err;
    EXPECT_NE(measured.out.find("Мультиметр      HP1412, VXI0::5::INSTR, HEWLETT-PACKARD,E1412A,0,A.02.01\n"),
              std::string::npos)
        << measured.out;
    EXPECT_NE(squeezed(measured.out).find("\n 2026-03-04T10:00:02.200Z 2 4 7.5 2.008 3.5 не норма\n"),
              std::string::npos)
        << measured.out;
}

TEST_F(Tool, CsvOfPointsAndOfCellsForASpreadsheet)
{
    const Output points = tool({"csv", verification_});
    ASSERT_EQ(points.code, 0) << points.err;
    const auto lines = points.lines();
    ASSERT_EQ(lines.size(), 39u);
    EXPECT_EQ(lines[0], "time_utc,carrier,serial,position,model,channel,set_ohm,measured_ohm,norm_ohm,deviation_ohm,"
                        "verdict,kind,run");
    EXPECT_EQ(lines[1], "2026-03-04T10:00:00.100Z,TCPIP0::192.168.0.7::inst0::INSTR,\"SN-0042, rev \"\"B\"\"\",2,"
                        "КСИЛ2-4Л,1,1,1.01001,2.002,0.010010000000000074,норма,auto_verification," +
                            verification_);
    EXPECT_NE(lines[22].find(",2,4,7.5,2.008,3.5,не норма,"), std::string::npos) << lines[22];

    const Output cells = tool({"csv", "--cells", "--separator", ";", "--bom", write_});
    ASSERT_EQ(cells.code, 0) << cells.err;
    ASSERT_TRUE(cells.out.starts_with("\xEF\xBB\xBFtime_utc;carrier;serial;position;model;kind;table;channel;stage;"
                                      "value_ohm;state;reading_ohm;r0_used_ohm;value_bits;run\n"));
    EXPECT_EQ(cells.lines().size(), 1u + 3 * 38);
    EXPECT_NE(cells.out.find("\n2026-03-03T10:01:00.000Z;VXI0::2::INSTR;;1;КСИЛ2-4Л;write;as_found;1;1;"
                             "1.0000000000000002;stored;;;3FF0000000000001;" + write_ + "\n"),
              std::string::npos)
        << cells.out.substr(0, 600);
    EXPECT_NE(cells.out.find(";as_found;1;5;nan;stored;;;7FF8000000000123;"), std::string::npos);

    const Output calibration = tool({"csv", "--cells", calibration_});
    EXPECT_NE(calibration.out.find(",auto_calibration,result,2,R0,0.10250000000000001,within,1.8450000000000002,"
                                   "0.10250000000000001,3FBA3D70A3D70A3E,"),
              std::string::npos)
        << calibration.out.substr(0, 400);
    EXPECT_NE(calibration.out.find(",result,2,5,16.251,not_measured,,,"), std::string::npos);
}

TEST_F(Tool, JsonHoldsWholeRunsExactly)
{
    const Output out = tool({"json", "--carrier", "VXI0::2::INSTR", "--kind", "write"});
    ASSERT_EQ(out.code, 0) << out.err;
    const auto runs = nlohmann::json::parse(out.out);
    ASSERT_EQ(runs.size(), 1u);
    const auto& run = runs[0];
    EXPECT_EQ(run["id"], write_);
    EXPECT_EQ(run["kind"], "write");
    EXPECT_EQ(run["read_back"], "match");
    EXPECT_EQ(run["module"]["name"], "КСИЛ2-4Л");
    EXPECT_EQ(run["station"]["library_crc"], "1A2B3C4D");
    ASSERT_EQ(run["tables"].size(), 3u);
    EXPECT_EQ(run["tables"][0]["role"], "as_found");
    const auto& cell = run["tables"][0]["cells"][0];
    EXPECT_EQ(bitsOf(cell["value"].get<double>()), bitsOf(1.0000000000000002));
    EXPECT_EQ(cell["value_bits"], "3FF0000000000001");
    EXPECT_TRUE(run["tables"][0]["cells"][4]["value"].is_null()); // NaN; its bits stay exact
    EXPECT_EQ(run["tables"][0]["cells"][4]["value_bits"], "7FF8000000000123");
}

TEST_F(Tool, DriftOfOneStageAcrossCalibrations)
{
    const Output text = tool({"drift", "--carrier", "VXI0::2::INSTR", "--position", "1", "--channel", "2", "--stage", "R0"});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.lines().at(0), "Носитель VXI0::2::INSTR, позиция 1, канал 2, ступень R0");
    EXPECT_NE(squeezed(text.out).find("\n 2026-03-03T10:00:00.000Z 0.10500000000000001 0.0025000000000000022 "
                                      "0.0025000000000000022 в допуске Калибровка автоматическая "),
              std::string::npos)
        << text.out;

    const Output csv = tool({"drift", "--carrier", "VXI0::2::INSTR", "--position", "1", "--stage", "3", "--csv"});
    ASSERT_EQ(csv.code, 0) << csv.err;
    const auto lines = csv.lines();
    ASSERT_EQ(lines.size(), 5u) << csv.out;
    EXPECT_EQ(lines[0], "time_utc,carrier,position,channel,stage,value_ohm,since_previous_ohm,since_first_ohm,state,"
                        "kind,run");
    EXPECT_EQ(lines[1], "2026-03-02T10:00:00.000Z,VXI0::2::INSTR,1,1,3,4.25,0,0,within,auto_calibration," +
                            calibration_);
    EXPECT_TRUE(lines[2].starts_with("2026-03-03T10:00:00.000Z,VXI0::2::INSTR,1,1,3,4.5,0.25,0.25,within,"));
    EXPECT_TRUE(lines[4].starts_with("2026-03-03T10:00:00.000Z,VXI0::2::INSTR,1,2,3,4.501,0.25,0.25,"));
}

TEST_F(Tool, ExitCodesSayWhatWentWrong)
{
    const Output help = tool({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Коды выхода: 0 успех"), std::string::npos);

    struct Case {
        std::vector<std::string> args;
        int code;
        std::string err;
    };
    const std::vector<Case> cases{
        {{}, 1, "ksil_history: не задана команда (ksil_history --help)\n"},
        {{"lsit"}, 1, "ksil_history: неизвестная команда \"lsit\" (ksil_history --help)\n"},
        {{"list", "--kind", "calibration"}, 1, "ksil_history: неизвестный вид запуска \"calibration\"\n"},
        {{"list", "--position", "5"}, 1, "ksil_history: --position: нужно число от 1 до 4\n"},
        {{"list", "--from", "03.03.2026"}, 1, ""},
        {{"show"}, 1, "ksil_history: show: нужен один запуск\n"},
        {{"drift", "--carrier", "VXI0::2::INSTR"}, 1, "ksil_history: drift: нужна --position\n"},
        {{"show", "ffffffff"}, 3, "ksil_history: Запуска ffffffff нет в истории " + file_ + "\n"},
        {{"drift", "--carrier", "VXI0::2::INSTR", "--position", "3"}, 3, ""},
        {{"waiting"}, 0, ""},
        {{"send"}, 2, "ksil_history: сервер не задан (KSIL_HISTORY_PG или --server)\n"},
    };
    for (const Case& c : cases) {
        const Output o = tool(c.args);
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        EXPECT_EQ(o.code, c.code) << joined << o.err;
        if (!c.err.empty()) {
            EXPECT_EQ(o.err, c.err) << joined;
        }
    }
    const Output missing = tool({"list"}, (folder_->path() / "none.sqlite").string());
    EXPECT_EQ(missing.code, 2);
    EXPECT_EQ(missing.err, "ksil_history: Файла истории " + (folder_->path() / "none.sqlite").string() + " нет\n");
    EXPECT_EQ(tool({"waiting"}).out, "Ждут отправки на сервер: 0\n");
}

class ToolOnServer : public BackendTest {};

TEST_P(ToolOnServer, CountsSendsAndReadsWhatWaitedForTheServer)
{
    {
        History away;
        ASSERT_TRUE(away.open(configWithServerAway()).ok());
        for (int i = 0; i < 2; ++i)
            ASSERT_EQ(away.store(verificationRun(vxiModule(), kMarch + i)).waiting, i + 1);
    }
    const std::string file = config().localFile;
    const std::string server = connectionString(*config().server);
    const std::string away = connectionString(*configWithServerAway().server);

    EXPECT_EQ(runTool({"waiting"}, file, server).out, "Ждут отправки на сервер: 2\n");
    const ToolOutput still = runTool({"send"}, file, away);
    EXPECT_EQ(still.code, 4);
    EXPECT_EQ(still.out, "Отправлено: 0, ждут отправки: 2\n");
    EXPECT_NE(still.err.find("недоступен"), std::string::npos) << still.err;
    EXPECT_EQ(runTool({"list"}, file, away).code, 2);
    EXPECT_EQ(runTool({"list", "--local"}, file, away).lines().size(), 3u);

    const ToolOutput sent = runTool({"send"}, file, server);
    EXPECT_EQ(sent.code, 0) << sent.err;
    EXPECT_EQ(sent.out, "Отправлено: 2, ждут отправки: 0\n");
    const ToolOutput listed = runTool({"list"}, file, server);
    EXPECT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(listed.lines().size(), 3u) << listed.out;
    // The server alone is enough to read it.
    const ToolOutput csv = runTool({"csv"}, (folder() / "nowhere.sqlite").string(), server);
    EXPECT_EQ(csv.code, 0) << csv.err;
    EXPECT_EQ(csv.lines().size(), 1u + 2 * 38);
}

// A PNG's width and height from its header; nothing when the bytes are no PNG.
std::optional<std::pair<int, int>> pngSize(const std::string& bytes)
{
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return std::nullopt;
    auto be32 = [&bytes](std::size_t at) {
        int v = 0;
        for (std::size_t i = 0; i < 4; ++i)
            v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    return std::pair{be32(16), be32(20)};
}

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(Tool, WritesTheChartOfAStoredRunAndOfTheDriftWithoutADisplay)
{
    const auto png = folder_->path() / "verification.png";
    const Output written = tool({"chart", verification_.substr(0, 8), "--chart", png.string()});
    ASSERT_EQ(written.code, 0) << written.err;
    EXPECT_EQ(pngSize(fileText(png)), (std::pair{1100, 650}));

    // A calibration's chart in SVG carries the titles in the station's language.
    const auto svg = folder_->path() / "calibration.svg";
    ASSERT_EQ(tool({"chart", calibration_, "--chart", svg.string()}).code, 0);
    const std::string text = fileText(svg);
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("Калибровка КСИЛ2-4Л"), std::string::npos);
    EXPECT_NE(text.find("Номинал ступени, Ом"), std::string::npos);

    const auto drift = folder_->path() / "drift.png";
    const Output d = tool({"drift", "--carrier", "VXI0::2::INSTR", "--position", "1", "--stage", "5", "--chart",
                           drift.string()});
    ASSERT_EQ(d.code, 0) << d.err;
    EXPECT_TRUE(pngSize(fileText(drift)));

    // What cannot be charted, or where, says so by its exit code and leaves no file.
    EXPECT_EQ(tool({"chart", "ffffffff", "--chart", png.string()}).code, 3);
    const auto odd = folder_->path() / "chart.bmp";
    const Output wrongSuffix = tool({"chart", verification_, "--chart", odd.string()});
    EXPECT_EQ(wrongSuffix.code, 5);
    EXPECT_NE(wrongSuffix.err.find(odd.string()), std::string::npos) << wrongSuffix.err;
    EXPECT_FALSE(std::filesystem::exists(odd));
    EXPECT_EQ(tool({"chart", verification_}).code, 1);
    EXPECT_EQ(tool({"list", "--chart", png.string()}).code, 1);
    EXPECT_EQ(tool({"drift", "--carrier", "SN-none", "--position", "1", "--chart", png.string()}).code, 3);
}

INSTANTIATE_TEST_SUITE_P(Server, ToolOnServer, ::testing::Values(Backend::PostgreSQL), backendName);

} // namespace
} // namespace history::test
