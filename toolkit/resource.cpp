// Reading panels and menu bars from a panel resource file.
//
// The resource is a UTF-8 JSON document:
//
//   { "panels": [ <panel>, ... ], "menubars": [ <menubar>, ... ] }
//
//   panel:    { "id": 5, "name": "MP", "title": "...", "height": 588, "width": 701,
//               "top": 40, "left": 60, "font": "Arial", "callback": "CloseCB",
//               "default": 4 (the button Enter presses), "close": 5 (the button that
//               closing the window or Escape presses), "resizable": false (the operator
//               may resize the window; controls with "stretch": true grow with it),
//               "controls": [ <control>, ... ] }
//   control:  { "id": 2, "name": "EXIT", "kind": "command", "label": "...",
//               "top": 0, "left": 0, "height": 25, "width": 80, "callback": "exitCB",
//               "hidden": false, "dimmed": false, "indicator": false,
//               // numeric:  "type": "double" | "int16" | "uint16" | "int32" | "uint32",
//               //           "value": 1, "min": 1, "max": 2, "step": 1,
//               //           "precision": 2 (digits shown after the point)
//               // string, text message: "value": "text"
//               // text box: "value": "line\nline", "monospace": true,
//               //           "charsPerLine": 100 (a font that fits so many on a line)
//               // list box, ring, binary switch: "type", "items": [{"label": "..", "value": 1}],
//               //           "index": 0 (the current item)
//               // toggle, LED: "value": 0 | 1, "color": 0x00FF00 (on-colour of an LED)
//               // table: "corner": "...", "rows": ["1", "2", ...] (labels; their number
//               //        is the number of rows at load), "numRows": 0 (unlabelled rows),
//               //        "columns": [{"label": "..", "type": "double" | "string",
//               //                     "precision": 4}]
//               // picture: "image": "file.png" (a path relative to the resource's folder)
//             }
//   kinds:    command, numeric, string, textmsg, textbox, table, listbox, ring, binary,
//             toggle, led, decoration, picture, canvas
//   menubar:  { "id": 1, "name": "MENUBAR", "items": [ <item>, ... ] }
//   item:     { "id": 2, "name": "INSTR", "text": "...", "menu": true }   a menu; its items follow
//             { "id": 6, "name": "SEPARATOR", "separator": true }
//             { "id": 3, "name": "SELECT", "text": "...", "callback": "MenuCallback" }
//
// Every callback named must be registered before the load (tk::registerCallback,
// tk::registerMenuCallback); a load that names an unknown one fails. Keys
// beginning with '_' are comments; any other unknown key, a value of the wrong
// type and a number outside what its field can mean (places and sizes within
// ±16384 pixels, a panel at most 4096 pixels high and wide, colours
// 0..0xFFFFFF, ids and values within int, tables of at most 100 columns and
// 100000 cells at load) fail the load
// too, with one line naming the file, the panel or menu bar, the entry and the
// problem.
#include "toolkit/core_state.h"
#include "platform/files.h"
#include "platform/utf8.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <filesystem>
#include <optional>

namespace tk::detail {

namespace {

using nlohmann::json;

struct LoadError {
    std::string message;
};

std::string baseName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file itself cannot be used: the message names its full path, so the
// folder that was searched is seen too.
struct FileError {
    std::string message;
};

// The last document parsed, kept with the text it was parsed from: the
// start-up loads every panel and the menu bar from one file, and parsing it
// again for each would cost more than all the rest of the loading. The file
// is read every time, so a file that changed is parsed again.
struct ParsedDocument {
    std::string file;
    std::string text;
    std::shared_ptr<const json> doc;
};

ParsedDocument& lastParsed()
{
    static ParsedDocument parsed;
    return parsed;
}

std::shared_ptr<const json> readDocument(const std::string& file)
{
    std::string why;
    std::optional<std::string> text = platform::readRegularFile(file, &why);
    if (!text)
        throw FileError{file + ": cannot be read: " + why};
    if (text->empty())
        throw FileError{file + ": the file is empty"};
    ParsedDocument& last = lastParsed();
    if (last.doc && last.file == file && last.text == *text)
        return last.doc;
    try {
        auto doc = std::make_shared<const json>(json::parse(*text));
        if (!doc->is_object())
            throw LoadError{"not a resource: the document is not a JSON object"};
        last = {file, std::move(*text), doc};
        return doc;
    } catch (const json::parse_error& e) {
        throw LoadError{std::string("invalid JSON: ") + e.what()};
    }
}

const std::map<std::string_view, Kind>& kindNames()
{
    static const std::map<std::string_view, Kind> names = {
        {"command", Kind::Command},     {"numeric", Kind::Numeric}, {"string", Kind::String},
        {"textmsg", Kind::TextMessage}, {"textbox", Kind::TextBox}, {"table", Kind::Table},
        {"listbox", Kind::ListBox},     {"ring", Kind::Ring},       {"binary", Kind::BinarySwitch},
        {"toggle", Kind::Toggle},       {"led", Kind::Led},         {"decoration", Kind::Decoration},
        {"picture", Kind::Picture},     {"canvas", Kind::Canvas},
    };
    return names;
}

bool typeByName(const std::string& name, DataType& t)
{
    static const std::map<std::string_view, DataType> names = {
        {"double", DataType::Double}, {"int16", DataType::Int16},   {"uint16", DataType::UInt16},
        {"int32", DataType::Int32},   {"uint32", DataType::UInt32}, {"string", DataType::String},
    };
    auto it = names.find(name);
    if (it == names.end())
        return false;
    t = it->second;
    return true;
}

std::string quotedText(std::string_view text)
{
    return "\"" + platform::oneLine(text, 60) + "\"";
}

// Keys beginning with '_' are comments; any other key not listed is refused,
// so that a misspelt field does not silently fall back to its default.
void checkKeys(const json& j, const std::string& at, std::initializer_list<std::string_view> allowed)
{
    if (!j.is_object())
        throw LoadError{at + ": must be a JSON object"};
    for (const auto& [key, value] : j.items()) {
        if (!key.empty() && key[0] == '_')
            continue;
        if (std::find(allowed.begin(), allowed.end(), key) == allowed.end())
            throw LoadError{at + ": unknown field " + quotedText(key)};
    }
}

const json* present(const json& j, const char* key)
{
    auto it = j.find(key);
    return it == j.end() || it->is_null() ? nullptr : &*it;
}

// An integer from lo to hi; a whole number written with a fraction or an
// exponent counts. Checked before any conversion, so that nothing is cut to fit.
long long integer(const json& j, const char* key, long long fallback, long long lo, long long hi,
                  const std::string& at, const char* what = nullptr)
{
    const json* v = present(j, key);
    if (!v)
        return fallback;
    const std::string name = what ? what : "field \"" + std::string(key) + "\"";
    bool inRange = false;
    long long n = 0;
    if (v->is_number_unsigned()) {
        const auto u = v->get<std::uint64_t>();
        inRange = u <= static_cast<std::uint64_t>(hi) && static_cast<long long>(u) >= lo;
        n = static_cast<long long>(u);
    } else if (v->is_number_integer()) {
        n = v->get<long long>();
        inRange = n >= lo && n <= hi;
    } else if (v->is_number_float()) {
        const double d = v->get<double>();
        inRange = std::isfinite(d) && d == std::floor(d) && d >= static_cast<double>(lo) &&
                  d <= static_cast<double>(hi);
        n = inRange ? static_cast<long long>(d) : 0;
    } else {
        throw LoadError{at + ": " + name + " must be an integer"};
    }
    if (!inRange)
        throw LoadError{at + ": " + name + " " + platform::oneLine(v->dump(), 40) + " out of range " + std::to_string(lo) + ".."
                        + std::to_string(hi)};
    return n;
}

double number(const json& j, const char* key, double fallback, const std::string& at)
{
    const json* v = present(j, key);
    if (!v)
        return fallback;
    if (!v->is_number() || !std::isfinite(v->get<double>()))
        throw LoadError{at + ": field \"" + key + "\" must be a number"};
    return v->get<double>();
}

std::string text(const json& j, const char* key, const std::string& fallback, const std::string& at)
{
    const json* v = present(j, key);
    if (!v)
        return fallback;
    if (!v->is_string())
        throw LoadError{at + ": field \"" + key + "\" must be a text"};
    return v->get<std::string>();
}

bool flag(const json& j, const char* key, bool fallback, const std::string& at)
{
    const json* v = present(j, key);
    if (!v)
        return fallback;
    if (!v->is_boolean())
        throw LoadError{at + ": field \"" + key + "\" must be true or false"};
    return v->get<bool>();
}

const json& list(const json& j, const char* key, const std::string& at)
{
    static const json empty = json::array();
    const json* v = present(j, key);
    if (!v)
        return empty;
    if (!v->is_array())
        throw LoadError{at + ": field \"" + key + "\" must be a list"};
    return *v;
}

// Bounds of what a resource can mean: places and sizes on a screen, colours,
// ids and values that fit the toolkit's int. A panel is a window, larger
// than no screen shows whole; its back buffer alone grows with its area
// (a 16384-pixel square takes a gigabyte).
constexpr long long kMaxCoordinate = 16384;
constexpr long long kMaxPanelExtent = 4096;
constexpr long long kMaxColor = 0xFFFFFF;
constexpr long long kIntMin = std::numeric_limits<int>::min();
constexpr long long kIntMax = std::numeric_limits<int>::max();
// Digits after the point a number is shown with, and characters a text-box line is sized for.
constexpr long long kMaxPrecision = 15;
constexpr long long kMaxCharsPerLine = 1000;

int coordinate(const json& j, const char* key, int fallback, const std::string& at)
{
    return static_cast<int>(integer(j, key, fallback, -kMaxCoordinate, kMaxCoordinate, at));
}

int extent(const json& j, const char* key, const std::string& at, long long hi = kMaxCoordinate)
{
    return static_cast<int>(integer(j, key, 0, 0, hi, at));
}

int color(const json& j, const char* key, int fallback, const std::string& at)
{
    return static_cast<int>(integer(j, key, fallback, 0, kMaxColor, at));
}

// The function registered under a resource's callback name; a name nobody
// registered fails the load.
tk::CtrlCallback registeredCallback(const std::string& name, const std::string& at)
{
    auto& reg = ctrlCallbacks();
    auto it = reg.find(name);
    if (it == reg.end())
        throw LoadError{at + ": callback " + quotedText(name) + " is not registered"};
    return it->second;
}

// The fields of one kind of control, read after those every control has
// (the data type among them). Each reader takes its kind's fields in the
// order the checks report them.

void readNumeric(model::Control& c, const json& j, const std::string& at)
{
    if (c.type == DataType::None || c.type == DataType::String)
        c.type = DataType::Double;
    c.step = number(j, "step", 1.0, at);
    if (j.contains("min") || j.contains("max")) {
        c.hasLimits = true;
        c.minValue = number(j, "min", -1e300, at);
        c.maxValue = number(j, "max", 1e300, at);
    }
    c.num = coerce(c, number(j, "value", 0.0, at));
}

// A string or a text message: one line of text.
void readText(model::Control& c, const json& j, const std::string& at)
{
    c.type = DataType::String;
    c.text = text(j, "value", "", at);
}

void readTextBox(model::Control& c, const json& j, const std::string& at)
{
    c.type = DataType::String;
    const std::string value = text(j, "value", "", at);
    if (!value.empty())
        c.lines = splitLines(value);
    c.visibleLines = visibleLinesFor(c.height);
}

// A toggle or an LED: on or off.
void readOnOff(model::Control& c, const json& j, const std::string& at)
{
    c.num = number(j, "value", 0.0, at) != 0.0 ? 1.0 : 0.0;
}

// A list box, a ring or a binary switch: labelled values, one of them current.
void readItems(model::Control& c, const json& j, const std::string& at)
{
    if (c.type == DataType::None)
        c.type = DataType::Int32;
    for (const auto& item : list(j, "items", at)) {
        const std::string itemAt = at + ": item " + std::to_string(c.items.size());
        checkKeys(item, itemAt, {"label", "value"});
        c.items.push_back({text(item, "label", "", itemAt),
                           static_cast<int>(integer(item, "value", 0, kIntMin, kIntMax, itemAt))});
    }
    if (c.kind == Kind::BinarySwitch && c.items.size() != 2)
        throw LoadError{at + ": a binary switch needs two items"};
    c.index = c.items.empty() ? -1 : static_cast<int>(integer(j, "index", 0, kIntMin, kIntMax, at));
    if (c.index >= static_cast<int>(c.items.size()) || (!c.items.empty() && c.index < 0))
        throw LoadError{at + ": item index out of range"};
    if (c.index >= 0)
        c.num = c.items[static_cast<size_t>(c.index)].value;
}

void readTable(model::Control& c, const json& j, const std::string& at)
{
    c.cornerLabel = text(j, "corner", "", at);
    for (const auto& col : list(j, "columns", at)) {
        const std::string colAt = at + ": column " + std::to_string(c.columns.size() + 1);
        checkKeys(col, colAt, {"label", "type", "precision"});
        model::Column column;
        column.label = text(col, "label", "", colAt);
        const std::string t = text(col, "type", "double", colAt);
        if (t != "double" && t != "string")
            throw LoadError{at + ": column type " + quotedText(t) + " is neither double nor string"};
        column.type = t == "string" ? DataType::String : DataType::Double;
        column.precision = static_cast<int>(integer(col, "precision", -1, -1, kMaxPrecision, colAt));
        c.columns.push_back(column);
    }
    for (const auto& label : list(j, "rows", at)) {
        if (!label.is_string())
            throw LoadError{at + ": row labels must be texts"};
        c.rowLabels.push_back(label.get<std::string>());
    }
    // Rows are added at run time; a resource that starts with more than this is broken.
    constexpr int kMaxRowsAtLoad = 10000;
    const auto numRows = integer(j, "numRows", 0, 0, kMaxRowsAtLoad, at, "number of rows");
    if (c.rowLabels.size() > static_cast<size_t>(kMaxRowsAtLoad))
        throw LoadError{at + ": number of rows " + std::to_string(c.rowLabels.size()) + " out of range 0.."
                        + std::to_string(kMaxRowsAtLoad)};
    const size_t n = c.rowLabels.empty() ? static_cast<size_t>(numRows) : c.rowLabels.size();
    // Every cell is an item of the table's widget: a table far wider or
    // larger than anyone reads would take the memory and the time of the
    // whole program to show.
    constexpr size_t kMaxColumns = 100;
    constexpr size_t kMaxCellsAtLoad = 100000;
    if (c.columns.size() > kMaxColumns)
        throw LoadError{at + ": number of columns " + std::to_string(c.columns.size()) + " out of range 0.."
                        + std::to_string(kMaxColumns)};
    if (n * c.columns.size() > kMaxCellsAtLoad)
        throw LoadError{at + ": " + std::to_string(n) + " rows of " + std::to_string(c.columns.size())
                        + " columns are more than " + std::to_string(kMaxCellsAtLoad) + " cells"};
    c.cells.assign(n, std::vector<model::Cell>(c.columns.size()));
    c.firstVisibleLine = 1;
}

// What every control has besides its id: name, kind, place, flags, colours and data type.
void readCommon(model::Control& c, const json& j, const std::string& at)
{
    checkKeys(j, at,
              {"id", "name", "kind", "label", "top", "left", "height", "width", "callback", "hidden", "dimmed",
               "indicator", "monospace", "textColor", "color", "type", "value", "min", "max", "step", "items",
               "index", "corner", "rows", "numRows", "columns", "image", "precision", "charsPerLine", "stretch"});
    c.constName = text(j, "name", "", at);
    const std::string kind = text(j, "kind", "", at);
    if (kind.empty())
        throw LoadError{at + " has no kind"};
    auto k = kindNames().find(kind);
    if (k == kindNames().end())
        throw LoadError{at + " has unknown kind " + quotedText(kind)};
    c.kind = k->second;
    c.label = text(j, "label", "", at);
    if (c.kind == Kind::Picture)
        c.image = text(j, "image", "", at);
    c.top = coordinate(j, "top", 0, at);
    c.left = coordinate(j, "left", 0, at);
    c.height = extent(j, "height", at);
    c.width = extent(j, "width", at);
    c.visible = !flag(j, "hidden", false, at);
    c.dimmed = flag(j, "dimmed", false, at);
    c.indicator = flag(j, "indicator", false, at);
    c.monospace = flag(j, "monospace", false, at);
    c.stretch = flag(j, "stretch", false, at);
    c.precision = static_cast<int>(integer(j, "precision", -1, -1, kMaxPrecision, at));
    c.columnsShown = static_cast<int>(integer(j, "charsPerLine", 0, 0, kMaxCharsPerLine, at));
    c.textColor = color(j, "textColor", kBlack, at);
    c.onColor = color(j, "color", kGreen, at);

    const std::string typeName = text(j, "type", "", at);
    if (!typeName.empty() && !typeByName(typeName, c.type))
        throw LoadError{at + " has unknown data type " + quotedText(typeName)};
}

model::Control readControl(const json& j, const std::string& where)
{
    model::Control c;
    c.id = static_cast<int>(integer(j, "id", 0, 0, kIntMax, where + ": a control"));
    const std::string at = where + ": control " + std::to_string(c.id);
    if (c.id < 1)
        throw LoadError{where + ": a control has no id"};
    readCommon(c, j, at);
    switch (c.kind) {
    case Kind::Numeric:
        readNumeric(c, j, at);
        break;
    case Kind::String:
    case Kind::TextMessage:
        readText(c, j, at);
        break;
    case Kind::TextBox:
        readTextBox(c, j, at);
        break;
    case Kind::Toggle:
    case Kind::Led:
        readOnOff(c, j, at);
        break;
    case Kind::ListBox:
    case Kind::Ring:
    case Kind::BinarySwitch:
        readItems(c, j, at);
        break;
    case Kind::Table:
        readTable(c, j, at);
        break;
    default: // commands, decorations, pictures and canvases have no fields of their own
        break;
    }
    c.callbackName = text(j, "callback", "", at);
    if (!c.callbackName.empty())
        c.callback = registeredCallback(c.callbackName, at);
    return c;
}

// The entry of the list whose id is exactly id (an id the toolkit's int cannot
// hold matches nothing).
const json* findById(const json& doc, const char* listName, int id)
{
    for (const auto& entry : list(doc, listName, "the document")) {
        if (!entry.is_object())
            continue;
        auto it = entry.find("id");
        if (it != entry.end() && it->is_number_integer() && !it->is_number_unsigned() && it->get<long long>() == id)
            return &entry;
        if (it != entry.end() && it->is_number_unsigned() && it->get<std::uint64_t>() == static_cast<std::uint64_t>(id)
            && id >= 0)
            return &entry;
    }
    return nullptr;
}

std::unique_ptr<model::Panel> buildPanel(const json& doc, int resourceId)
{
    const json* j = findById(doc, "panels", resourceId);
    if (!j)
        throw LoadError{"no panel " + std::to_string(resourceId)};
    const std::string where = "panel " + std::to_string(resourceId);
    checkKeys(*j, where,
              {"id", "name", "title", "top", "left", "height", "width", "font", "backColor", "callback", "controls",
               "default", "close", "resizable"});
    auto p = std::make_unique<model::Panel>();
    p->resourceId = resourceId;
    p->constName = text(*j, "name", "", where);
    p->title = text(*j, "title", "", where);
    p->top = coordinate(*j, "top", kCentered, where);
    p->left = coordinate(*j, "left", kCentered, where);
    p->height = extent(*j, "height", where, kMaxPanelExtent);
    p->width = extent(*j, "width", where, kMaxPanelExtent);
    p->fontFamily = text(*j, "font", "", where);
    p->backColor = color(*j, "backColor", p->backColor, where);
    p->callbackName = text(*j, "callback", "", where);
    if (!p->callbackName.empty())
        p->callback = registeredCallback(p->callbackName, where);
    for (const auto& cj : list(*j, "controls", where)) {
        model::Control c = readControl(cj, where);
        if (findControl(*p, c.id))
            throw LoadError{where + ": control " + std::to_string(c.id) + " appears twice"};
        p->controls.push_back(std::move(c));
    }
    std::sort(p->controls.begin(), p->controls.end(),
              [](const model::Control& a, const model::Control& b) { return a.id < b.id; });
    p->resizable = flag(*j, "resizable", false, where);
    for (auto [key, slot] : {std::pair{"default", &p->defaultCtrl}, std::pair{"close", &p->closeCtrl}}) {
        *slot = static_cast<int>(integer(*j, key, 0, 0, kIntMax, where));
        if (*slot != 0 && !findControl(*p, *slot))
            throw LoadError{where + ": field \"" + key + "\" names control " + std::to_string(*slot)
                            + ", which the panel does not have"};
    }
    p->defaults = p->controls;
    return p;
}

std::unique_ptr<model::MenuBar> buildMenuBar(const json& doc, int resourceId)
{
    const json* j = findById(doc, "menubars", resourceId);
    if (!j)
        throw LoadError{"no menu bar " + std::to_string(resourceId)};
    const std::string where = "menu bar " + std::to_string(resourceId);
    checkKeys(*j, where, {"id", "name", "items"});
    auto m = std::make_unique<model::MenuBar>();
    for (const auto& ij : list(*j, "items", where)) {
        model::MenuItem item;
        item.id = static_cast<int>(integer(ij, "id", 0, 0, kIntMax, where + ": an item"));
        const std::string at = where + ": item " + std::to_string(item.id);
        checkKeys(ij, at, {"id", "name", "text", "menu", "separator", "dimmed", "callback"});
        item.constName = text(ij, "name", "", at);
        item.text = text(ij, "text", "", at);
        item.isMenu = flag(ij, "menu", false, at);
        item.separator = flag(ij, "separator", false, at);
        item.dimmed = flag(ij, "dimmed", false, at);
        item.callbackName = text(ij, "callback", "", at);
        if (!item.callbackName.empty()) {
            auto& reg = menuCallbacks();
            auto it = reg.find(item.callbackName);
            if (it == reg.end())
                throw LoadError{at + ": callback " + quotedText(item.callbackName) + " is not registered"};
            item.callback = it->second;
        }
        m->items.push_back(std::move(item));
    }
    return m;
}

template <typename F>
auto guarded(const std::string& file, F build) -> decltype(build(json()))
{
    // The message is one line of bounded length whatever the document holds
    // (a parse error quotes what it read).
    constexpr std::size_t kMaxMessage = 400;
    try {
        const std::shared_ptr<const json> doc = readDocument(file);
        checkKeys(*doc, "the document", {"panels", "menubars"});
        return build(*doc);
    } catch (const FileError& e) {
        state().lastError = platform::oneLine(e.message, kMaxMessage);
    } catch (const LoadError& e) {
        state().lastError = platform::oneLine(baseName(file) + ": " + e.message, kMaxMessage);
    } catch (const json::exception& e) {
        state().lastError = platform::oneLine(baseName(file) + ": malformed entry: " + e.what(), kMaxMessage);
    } catch (const std::exception& e) {
        // Whatever else a broken document provokes ends here, not in a crash.
        state().lastError = platform::oneLine(baseName(file) + ": cannot be loaded: " + e.what(), kMaxMessage);
    }
    return nullptr;
}

} // namespace

std::unique_ptr<model::Panel> readPanel(const std::string& file, int resourceId)
{
    auto p = guarded(file, [&](const json& doc) { return buildPanel(doc, resourceId); });
    // Pictures are files kept beside the resource.
    if (p)
        for (auto* list : {&p->controls, &p->defaults})
            for (model::Control& c : *list)
                if (!c.image.empty())
                    c.image = platform::utf8Path(platform::fsPath(file).parent_path() / platform::fsPath(c.image));
    return p;
}

std::unique_ptr<model::MenuBar> readMenuBar(const std::string& file, int resourceId)
{
    return guarded(file, [&](const json& doc) { return buildMenuBar(doc, resourceId); });
}

} // namespace tk::detail

namespace tk {

std::string_view kindName(Kind kind)
{
    for (const auto& [name, k] : detail::kindNames())
        if (k == kind)
            return name;
    return kind == Kind::Tab ? "tab" : "unknown";
}

} // namespace tk
