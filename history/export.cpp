#include "history/export.h"

#include "history/text.h"

#include <initializer_list>

namespace history {

namespace {

class CsvWriter {
public:
    CsvWriter(std::ostream& out, const CsvStyle& style) : out_(out), style_(style)
    {
        if (style.byteOrderMark)
            out_ << "\xEF\xBB\xBF";
    }
    void row(std::initializer_list<std::string_view> fields)
    {
        bool first = true;
        for (std::string_view f : fields) {
            if (!first)
                out_ << style_.separator;
            out_ << csvField(f, style_.separator);
            first = false;
        }
        out_ << '\n';
    }

private:
    std::ostream& out_;
    CsvStyle style_;
};

std::string optionalText(const std::optional<double>& v) { return v ? exactText(*v) : std::string(); }

} // namespace

std::string csvField(std::string_view text, char separator)
{
    if (text.find_first_of(std::string{separator, '"', '\n', '\r'}) == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

void writePointsCsv(std::ostream& out, const std::vector<Run>& runs, const CsvStyle& style)
{
    CsvWriter csv(out, style);
    csv.row({"time_utc", "carrier", "serial", "position", "model", "channel", "set_ohm", "measured_ohm", "norm_ohm",
             "deviation_ohm", "verdict", "kind", "run"});
    for (const Run& run : runs) {
        const std::string position = std::to_string(run.module.position);
        for (const VerifyPoint& p : run.points)
            csv.row({isoUtc(p.time), run.module.carrierResource, run.module.carrierSerial, position,
                     run.module.modelName, std::to_string(p.channel), exactText(p.set), exactText(p.measured),
                     exactText(p.norm), exactText(p.deviation), words(p.verdict), code(run.kind), run.id});
    }
}

void writeCellsCsv(std::ostream& out, const std::vector<Run>& runs, const CsvStyle& style)
{
    CsvWriter csv(out, style);
    csv.row({"time_utc", "carrier", "serial", "position", "model", "kind", "table", "channel", "stage", "value_ohm",
             "state", "reading_ohm", "r0_used_ohm", "value_bits", "run"});
    for (const Run& run : runs) {
        const std::string time = isoUtc(run.started);
        const std::string position = std::to_string(run.module.position);
        for (const CalTable& table : run.tables)
            for (const CalCell& c : table.cells)
                csv.row({time, run.module.carrierResource, run.module.carrierSerial, position, run.module.modelName,
                         code(run.kind), code(table.role), std::to_string(c.channel), rowLabel(c.row),
                         exactText(c.value), code(c.state), optionalText(c.reading), optionalText(c.r0Used),
                         bitsText(c.value), run.id});
    }
}

void writeDriftCsv(std::ostream& out, const std::vector<DriftPoint>& drift, const ModuleRef& module,
                   const CsvStyle& style)
{
    CsvWriter csv(out, style);
    csv.row({"time_utc", "carrier", "position", "channel", "stage", "value_ohm", "since_previous_ohm",
             "since_first_ohm", "state", "kind", "run"});
    for (const DriftPoint& p : drift)
        csv.row({isoUtc(p.time), module.carrier, std::to_string(module.position), std::to_string(p.channel),
                 rowLabel(p.row), exactText(p.value), exactText(p.sincePrevious), exactText(p.sinceFirst),
                 code(p.state), code(p.kind), p.runId});
}

nlohmann::ordered_json runJson(const Run& run)
{
    using json = nlohmann::ordered_json;
    json j;
    j["id"] = run.id;
    j["kind"] = code(run.kind);
    j["outcome"] = code(run.end);
    j["outcome_detail"] = run.endDetail;
    j["started_utc"] = isoUtc(run.started);
    j["started_ms"] = run.started;
    j["ended_utc"] = isoUtc(run.ended);
    j["ended_ms"] = run.ended;
    j["module"] = {{"carrier_resource", run.module.carrierResource},
                   {"carrier_serial", run.module.carrierSerial},
                   {"position", run.module.position},
                   {"model", run.module.model},
                   {"name", run.module.modelName}};
    j["meter"] = {{"family", run.meter.family},
                  {"resource", run.meter.resource},
                  {"identification", run.meter.identification}};
    j["station"] = {{"host", run.station.host},
                    {"user", run.station.user},
                    {"program_version", run.station.programVersion},
                    {"library_crc", run.station.libraryCrc}};
    j["readings_from"] = code(run.readingsFrom);
    j["verdict"] = code(run.verdict);
    j["read_back"] = code(run.readBack);
    j["note"] = run.note;
    if (run.ksil5) {
        const Ksil5Settings& k = *run.ksil5;
        j["ksil5"] = {{"channel", k.channel},
                      {"mode", k.mode},
                      {"mode_text", k.modeText},
                      {"temperature", k.temperature},
                      {"temperature_text", k.temperatureText},
                      {"temperature_c", k.temperatureC ? json(*k.temperatureC) : json(nullptr)},
                      {"tolerance", k.tolerance}};
    }
    json tables = json::array();
    for (const CalTable& t : run.tables) {
        json cells = json::array();
        for (const CalCell& c : t.cells) {
            json cell = {{"channel", c.channel},
                         {"stage", rowLabel(c.row)},
                         {"value", c.value},
                         {"value_bits", bitsText(c.value)},
                         {"state", code(c.state)}};
            if (c.reading)
                cell["reading"] = *c.reading;
            if (c.r0Used)
                cell["r0_used"] = *c.r0Used;
            cells.push_back(std::move(cell));
        }
        tables.push_back({{"role", code(t.role)}, {"cells", std::move(cells)}});
    }
    j["tables"] = std::move(tables);
    json points = json::array();
    for (const VerifyPoint& p : run.points)
        points.push_back({{"time_utc", isoUtc(p.time)},
                          {"channel", p.channel},
                          {"set_ohm", p.set},
                          {"measured_ohm", p.measured},
                          {"norm_ohm", p.norm},
                          {"deviation_ohm", p.deviation},
                          {"verdict", code(p.verdict)}});
    j["points"] = std::move(points);
    return j;
}

void writeRunsJson(std::ostream& out, const std::vector<Run>& runs)
{
    nlohmann::ordered_json all = nlohmann::ordered_json::array();
    for (const Run& run : runs)
        all.push_back(runJson(run));
    // Invalid UTF-8 in a text from a driver is replaced, never a throw.
    out << all.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

} // namespace history
