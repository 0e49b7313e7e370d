// Reading panels and menu bars from a panel resource file.
//
// The resource is a UTF-8 JSON document:
//
//   { "panels": [ <panel>, ... ], "menubars": [ <menubar>, ... ] }
//
//   panel:    { "id": 5, "name": "MP", "title": "...", "height": 588, "width": 701,
//               "top": 40, "left": 60, "font": "Arial", "callback": "CloseCB",
//               "controls": [ <control>, ... ] }
//   control:  { "id": 2, "name": "EXIT", "kind": "command", "label": "...",
//               "top": 0, "left": 0, "height": 25, "width": 80, "callback": "exitCB",
//               "hidden": false, "dimmed": false, "indicator": false,
//               // numeric:  "type": "double" | "int16" | "uint16" | "int32" | "uint32",
//               //           "value": 1, "min": 1, "max": 2, "step": 1
//               // string, text message: "value": "text"
//               // text box: "value": "line\nline", "monospace": true
//               // list box, ring, binary switch: "type", "items": [{"label": "..", "value": 1}],
//               //           "index": 0 (the current item)
//               // toggle, LED: "value": 0 | 1, "color": 0x00FF00 (on-colour of an LED)
//               // table: "corner": "...", "rows": ["1", "2", ...] (labels; their number
//               //        is the number of rows at load), "numRows": 0 (unlabelled rows),
//               //        "columns": [{"label": "..", "type": "double" | "string"}]
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
// tk::registerMenuCallback); a load that names an unknown one fails.
#include "toolkit/core_state.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

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

json readDocument(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw LoadError{"cannot open the file"};
    std::stringstream ss;
    ss << in.rdbuf();
    try {
        json doc = json::parse(ss.str());
        if (!doc.is_object())
            throw LoadError{"not a resource: the document is not a JSON object"};
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

template <typename T>
T field(const json& j, const char* key, T fallback)
{
    auto it = j.find(key);
    if (it == j.end() || it->is_null())
        return fallback;
    return it->get<T>();
}

model::Control readControl(const json& j, const std::string& where)
{
    model::Control c;
    c.id = field<int>(j, "id", 0);
    const std::string at = where + ": control " + std::to_string(c.id);
    if (c.id < 1)
        throw LoadError{where + ": a control has no id"};
    c.constName = field<std::string>(j, "name", "");
    const std::string kind = field<std::string>(j, "kind", "");
    if (kind.empty())
        throw LoadError{at + " has no kind"};
    auto k = kindNames().find(kind);
    if (k == kindNames().end())
        throw LoadError{at + " has unknown kind \"" + kind + "\""};
    c.kind = k->second;
    c.label = field<std::string>(j, "label", "");
    if (c.kind == Kind::Picture)
        c.image = field<std::string>(j, "image", "");
    c.top = field<int>(j, "top", 0);
    c.left = field<int>(j, "left", 0);
    c.height = field<int>(j, "height", 0);
    c.width = field<int>(j, "width", 0);
    c.visible = !field<bool>(j, "hidden", false);
    c.dimmed = field<bool>(j, "dimmed", false);
    c.indicator = field<bool>(j, "indicator", false);
    c.monospace = field<bool>(j, "monospace", false);
    c.textColor = field<int>(j, "textColor", kBlack);
    c.onColor = field<int>(j, "color", kGreen);

    const std::string typeName = field<std::string>(j, "type", "");
    if (!typeName.empty() && !typeByName(typeName, c.type))
        throw LoadError{at + " has unknown data type \"" + typeName + "\""};

    switch (c.kind) {
    case Kind::Numeric:
        if (c.type == DataType::None || c.type == DataType::String)
            c.type = DataType::Double;
        c.step = field<double>(j, "step", 1.0);
        if (j.contains("min") || j.contains("max")) {
            c.hasLimits = true;
            c.minValue = field<double>(j, "min", -1e300);
            c.maxValue = field<double>(j, "max", 1e300);
        }
        c.num = coerce(c, field<double>(j, "value", 0.0));
        break;
    case Kind::String:
    case Kind::TextMessage:
        c.type = DataType::String;
        c.text = field<std::string>(j, "value", "");
        break;
    case Kind::TextBox: {
        c.type = DataType::String;
        const std::string text = field<std::string>(j, "value", "");
        if (!text.empty())
            c.lines = splitLines(text);
        c.visibleLines = visibleLinesFor(c.height);
        break;
    }
    case Kind::Toggle:
    case Kind::Led:
        c.num = field<double>(j, "value", 0.0) != 0.0 ? 1.0 : 0.0;
        break;
    case Kind::ListBox:
    case Kind::Ring:
    case Kind::BinarySwitch:
        if (c.type == DataType::None)
            c.type = DataType::Int32;
        for (const auto& item : j.value("items", json::array()))
            c.items.push_back({field<std::string>(item, "label", ""), field<int>(item, "value", 0)});
        if (c.kind == Kind::BinarySwitch && c.items.size() != 2)
            throw LoadError{at + ": a binary switch needs two items"};
        c.index = c.items.empty() ? -1 : field<int>(j, "index", 0);
        if (c.index >= static_cast<int>(c.items.size()) || (!c.items.empty() && c.index < 0))
            throw LoadError{at + ": item index out of range"};
        if (c.index >= 0)
            c.num = c.items[static_cast<size_t>(c.index)].value;
        break;
    case Kind::Table: {
        c.cornerLabel = field<std::string>(j, "corner", "");
        for (const auto& col : j.value("columns", json::array())) {
            model::Column column;
            column.label = field<std::string>(col, "label", "");
            const std::string t = field<std::string>(col, "type", "double");
            if (t != "double" && t != "string")
                throw LoadError{at + ": column type \"" + t + "\" is neither double nor string"};
            column.type = t == "string" ? DataType::String : DataType::Double;
            c.columns.push_back(column);
        }
        for (const auto& label : j.value("rows", json::array()))
            c.rowLabels.push_back(label.get<std::string>());
        // Rows are added at run time; a resource that starts with more than this is broken.
        constexpr int kMaxRowsAtLoad = 10000;
        const int numRows = field<int>(j, "numRows", 0);
        if (numRows < 0 || numRows > kMaxRowsAtLoad)
            throw LoadError{at + ": number of rows " + std::to_string(numRows) + " out of range 0.."
                            + std::to_string(kMaxRowsAtLoad)};
        const size_t n = c.rowLabels.empty() ? static_cast<size_t>(numRows) : c.rowLabels.size();
        c.cells.assign(n, std::vector<model::Cell>(c.columns.size()));
        c.firstVisibleLine = 1;
        break;
    }
    default:
        break;
    }

    c.callbackName = field<std::string>(j, "callback", "");
    if (!c.callbackName.empty()) {
        auto& reg = ctrlCallbacks();
        auto it = reg.find(c.callbackName);
        if (it == reg.end())
            throw LoadError{at + ": callback \"" + c.callbackName + "\" is not registered"};
        c.callback = it->second;
    }
    return c;
}

const json* findById(const json& doc, const char* list, int id)
{
    auto it = doc.find(list);
    if (it == doc.end() || !it->is_array())
        return nullptr;
    for (const auto& entry : *it)
        if (entry.is_object() && field<int>(entry, "id", 0) == id)
            return &entry;
    return nullptr;
}

std::unique_ptr<model::Panel> buildPanel(const json& doc, int resourceId)
{
    const json* j = findById(doc, "panels", resourceId);
    if (!j)
        throw LoadError{"no panel " + std::to_string(resourceId)};
    const std::string where = "panel " + std::to_string(resourceId);
    auto p = std::make_unique<model::Panel>();
    p->resourceId = resourceId;
    p->constName = field<std::string>(*j, "name", "");
    p->title = field<std::string>(*j, "title", "");
    p->top = field<int>(*j, "top", kCentered);
    p->left = field<int>(*j, "left", kCentered);
    p->height = field<int>(*j, "height", 0);
    p->width = field<int>(*j, "width", 0);
    p->fontFamily = field<std::string>(*j, "font", "");
    if (j->contains("backColor"))
        p->backColor = field<int>(*j, "backColor", p->backColor);
    p->callbackName = field<std::string>(*j, "callback", "");
    if (!p->callbackName.empty()) {
        auto& reg = ctrlCallbacks();
        auto it = reg.find(p->callbackName);
        if (it == reg.end())
            throw LoadError{where + ": callback \"" + p->callbackName + "\" is not registered"};
        p->callback = it->second;
    }
    for (const auto& cj : j->value("controls", json::array())) {
        model::Control c = readControl(cj, where);
        if (findControl(*p, c.id))
            throw LoadError{where + ": control " + std::to_string(c.id) + " appears twice"};
        p->controls.push_back(std::move(c));
    }
    std::sort(p->controls.begin(), p->controls.end(),
              [](const model::Control& a, const model::Control& b) { return a.id < b.id; });
    p->defaults = p->controls;
    return p;
}

std::unique_ptr<model::MenuBar> buildMenuBar(const json& doc, int resourceId)
{
    const json* j = findById(doc, "menubars", resourceId);
    if (!j)
        throw LoadError{"no menu bar " + std::to_string(resourceId)};
    const std::string where = "menu bar " + std::to_string(resourceId);
    auto m = std::make_unique<model::MenuBar>();
    for (const auto& ij : j->value("items", json::array())) {
        model::MenuItem item;
        item.id = field<int>(ij, "id", 0);
        item.constName = field<std::string>(ij, "name", "");
        item.text = field<std::string>(ij, "text", "");
        item.isMenu = field<bool>(ij, "menu", false);
        item.separator = field<bool>(ij, "separator", false);
        item.dimmed = field<bool>(ij, "dimmed", false);
        item.callbackName = field<std::string>(ij, "callback", "");
        if (!item.callbackName.empty()) {
            auto& reg = menuCallbacks();
            auto it = reg.find(item.callbackName);
            if (it == reg.end())
                throw LoadError{where + ": item " + std::to_string(item.id) + ": callback \""
                                + item.callbackName + "\" is not registered"};
            item.callback = it->second;
        }
        m->items.push_back(std::move(item));
    }
    return m;
}

template <typename F>
auto guarded(const std::string& file, F build) -> decltype(build(json()))
{
    try {
        const json doc = readDocument(file);
        return build(doc);
    } catch (const LoadError& e) {
        state().lastError = baseName(file) + ": " + e.message;
    } catch (const json::exception& e) {
        state().lastError = baseName(file) + ": malformed entry: " + e.what();
    } catch (const std::exception& e) {
        // Whatever else a broken document provokes ends here, not in a crash.
        state().lastError = baseName(file) + ": cannot be loaded: " + e.what();
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
                    c.image = (std::filesystem::path(file).parent_path() / c.image).string();
    return p;
}

std::unique_ptr<model::MenuBar> readMenuBar(const std::string& file, int resourceId)
{
    return guarded(file, [&](const json& doc) { return buildMenuBar(doc, resourceId); });
}

} // namespace tk::detail
