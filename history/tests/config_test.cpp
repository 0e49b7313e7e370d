// Where the history is, from the environment, and the texts of numbers and
// instants that must never depend on a locale.
#include "history/config.h"
#include "history/export.h"
#include "history/tests/samples.h"
#include "history/text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <map>
#include <sstream>

namespace history {
namespace {

TEST(ServerConnection, KeywordFormWithQuotesAndOptions)
{
    const auto s = parseServer("host=lab.local port=5433  dbname=ksil user = cal password='p a\\'s\\\\s' sslmode=require");
    ASSERT_TRUE(s.ok()) << s.status.message;
    EXPECT_EQ(s.value.host, "lab.local");
    EXPECT_EQ(s.value.port, 5433);
    EXPECT_EQ(s.value.database, "ksil");
    EXPECT_EQ(s.value.user, "cal");
    EXPECT_EQ(s.value.password, "p a's\\s");
    EXPECT_EQ(s.value.options, "connect_timeout='5';sslmode='require'");
    EXPECT_EQ(serverLabel(s.value), "lab.local:5433/ksil");
    // What connectionString writes reads back the same.
    const auto again = parseServer(connectionString(s.value));
    ASSERT_TRUE(again.ok()) << connectionString(s.value);
    EXPECT_EQ(again.value.password, s.value.password);
    EXPECT_EQ(again.value.options, s.value.options);
    EXPECT_EQ(again.value.host, s.value.host);
}

TEST(ServerConnection, UrlFormDecoded)
{
    const auto s = parseServer("postgresql://cal:p%40ss%3Aw@[::1]:6543/ksil%20lab?sslmode=verify-full&"
                               "application_name=stand%203&connect_timeout=2");
    ASSERT_TRUE(s.ok()) << s.status.message;
    EXPECT_EQ(s.value.user, "cal");
    EXPECT_EQ(s.value.password, "p@ss:w");
    EXPECT_EQ(s.value.host, "::1");
    EXPECT_EQ(s.value.port, 6543);
    EXPECT_EQ(s.value.database, "ksil lab");
    EXPECT_EQ(s.value.options, "application_name='stand 3';connect_timeout='2';sslmode='verify-full'");

    const auto bare = parseServer("postgres://lab/ksil");
    ASSERT_TRUE(bare.ok());
    EXPECT_EQ(bare.value.host, "lab");
    EXPECT_EQ(bare.value.port, -1);
    EXPECT_EQ(bare.value.user, "");
    EXPECT_EQ(bare.value.database, "ksil");
}

TEST(ServerConnection, MistakesAreNamedInOneLine)
{
    for (const char* text : {"host=lab port=99999", "host='lab", "host", "postgresql://lab:54x2/ksil",
                             "postgresql://lab/k%4", "host=lab options='-c a=1;b'", "postgresql://[::1/ksil"}) {
        const auto s = parseServer(text);
        EXPECT_EQ(s.status.code, Code::Config) << text;
        EXPECT_TRUE(s.status.message.starts_with("KSIL_HISTORY_PG: ")) << s.status.message;
        EXPECT_EQ(s.status.message.find('\n'), std::string::npos);
    }
}

// Sets variables for one test and puts the old values back.
class Environment {
public:
    void set(const char* name, const char* value)
    {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~Environment()
    {
        for (const auto& [name, value] : saved_)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST(HistoryConfig, FileFromTheVariablesInTheirOrder)
{
    Environment env;
    env.set("KSIL_HISTORY_PG", nullptr);
    env.set("KSIL_HISTORY_FILE", "/data/lab/h.sqlite");
    env.set("XDG_DATA_HOME", "/home/op/.data");
    env.set("HOME", "/home/op");
    EXPECT_EQ(configFromEnvironment().value.localFile, "/data/lab/h.sqlite");
    env.set("KSIL_HISTORY_FILE", "");
    EXPECT_EQ(configFromEnvironment().value.localFile, "/home/op/.data/ksil2/history.sqlite");
    env.set("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(configFromEnvironment().value.localFile, "/home/op/.local/share/ksil2/history.sqlite");
    EXPECT_FALSE(configFromEnvironment().value.server);

    env.set("KSIL_HISTORY_PG", "host=lab dbname=ksil");
    const auto withServer = configFromEnvironment();
    ASSERT_TRUE(withServer.ok());
    EXPECT_EQ(withServer.value.server->host, "lab");

    // A broken server variable is reported; the file is still known.
    env.set("KSIL_HISTORY_PG", "host='lab");
    const auto broken = configFromEnvironment();
    EXPECT_EQ(broken.status.code, Code::Config);
    EXPECT_EQ(broken.value.localFile, "/home/op/.local/share/ksil2/history.sqlite");

    env.set("KSIL_HISTORY_PG", nullptr);
    env.set("XDG_DATA_HOME", nullptr);
    env.set("HOME", nullptr);
    const auto none = configFromEnvironment();
    EXPECT_EQ(none.status.code, Code::Config);
    EXPECT_NE(none.status.message.find("KSIL_HISTORY_FILE"), std::string::npos);
    EXPECT_EQ(none.value.localFile, "");
}

TEST(HistoryText, NumbersComeBackBitForBit)
{
    const TableValues awkward = test::awkwardTable();
    for (const auto& channel : awkward)
        for (double v : channel) {
            const std::string text = exactText(v);
            if (std::isnan(v)) {
                EXPECT_EQ(text, "nan");
                continue;
            }
            double back = 0;
            const auto r = std::from_chars(text.data(), text.data() + text.size(), back);
            ASSERT_EQ(r.ec, std::errc()) << text;
            EXPECT_EQ(bitsOf(back), bitsOf(v)) << text;
        }
    EXPECT_EQ(exactText(1.0000000000000002), "1.0000000000000002");
    EXPECT_EQ(exactText(9.9e37), "9.9e+37");
    EXPECT_EQ(exactText(-0.0), "-0");
    EXPECT_EQ(exactText(262143), "262143");
    EXPECT_EQ(bitsText(1.0000000000000002), "3FF0000000000001");
    EXPECT_EQ(bitsText(-0.0), "8000000000000000");
    EXPECT_EQ(fixedText(2.002, 4), "2.0020");
    EXPECT_EQ(bitsOf(fromBits(0x7FF8000000000123)), 0x7FF8000000000123);
}

TEST(HistoryText, InstantsInUtc)
{
    EXPECT_EQ(isoUtc(0), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(isoUtc(1'772'353'730'007), "2026-03-01T08:28:50.007Z");
    EXPECT_EQ(isoUtc(-1), "1969-12-31T23:59:59.999Z");
    for (UtcMs t : {0LL, 1'772'353'730'007LL, 951'782'400'000LL /* 2000-02-29 */})
        EXPECT_EQ(parseUtc(isoUtc(t)), t);
    EXPECT_EQ(parseUtc("2026-03-01"), 1'772'323'200'000);
    EXPECT_EQ(parseUtc("2026-03-01 08:28"), 1'772'353'680'000);
    EXPECT_EQ(parseUtc("2026-03-01T08:28:50"), 1'772'353'730'000);
    for (const char* bad : {"2026-02-30", "2026-3-01", "2026-03-01T24:00", "2026-03-01T08:28:50.7", "yesterday",
                            "2026-03-01T08:28Z+3", ""})
        EXPECT_FALSE(parseUtc(bad)) << bad;
}

// A locale that writes "1 234,5": what a station's Russian settings would do
// to any number written through a stream.
struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return ' '; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(HistoryText, ExportsIgnoreTheLocale)
{
    const std::locale comma(std::locale::classic(), new CommaDecimals);
    const std::locale old = std::locale::global(comma);
    std::ostringstream out;
    out.imbue(comma);
    history::Run run = test::verificationRun(test::vxiModule(), 1'772'353'730'007);
    run.points.resize(1);
    run.points[0].measured = 1234.5;
    run.points[0].deviation = 1233.5;
    run.id = "r1";
    writePointsCsv(out, {run});
    std::locale::global(old);
    EXPECT_EQ(out.str(),
              "time_utc,carrier,serial,position,model,channel,set_ohm,measured_ohm,norm_ohm,deviation_ohm,verdict,kind,run\n"
              "2026-03-01T08:28:50.107Z,VXI0::2::INSTR,,1,КСИЛ2-4Л,1,1,1234.5,2.002,1233.5,норма,auto_verification,r1\n");
}

TEST(HistoryText, CsvFieldsQuotedOnlyWhenTheyMustBe)
{
    EXPECT_EQ(csvField("VXI0::2::INSTR"), "VXI0::2::INSTR");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(csvField("a;b", ';'), "\"a;b\"");
    EXPECT_EQ(csvField("a;b"), "a;b");
}

} // namespace
} // namespace history
