// Tables, list boxes and rings, and text boxes.
#include "toolkit/core_state.h"

#include <algorithm>

namespace tk {

using namespace detail;

namespace {

// Looks up a control of one of the given kinds; status < 0 when it is not there.
template <typename... K>
model::Control* get(int panel, int ctrl, int& status, K... kinds)
{
    status = OK;
    if (!findPanel(panel)) {
        status = ERR_PANEL;
        return nullptr;
    }
    model::Control* c = findControl(panel, ctrl);
    if (!c) {
        status = ERR_CONTROL;
        return nullptr;
    }
    if (!((c->kind == kinds) || ...)) {
        status = ERR_ARG;
        return nullptr;
    }
    return c;
}

int rows(const model::Control& c)
{
    return static_cast<int>(c.cells.size());
}

int cols(const model::Control& c)
{
    return static_cast<int>(c.columns.size());
}

model::Cell* cellAt(model::Control& c, int row, int col)
{
    if (row < 1 || row > rows(c) || col < 1 || col > cols(c))
        return nullptr;
    return &c.cells[static_cast<size_t>(row - 1)][static_cast<size_t>(col - 1)];
}

} // namespace

// --- tables -------------------------------------------------------------------

int insertTableRows(int panel, int ctrl, int beforeRow, int count)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::Table);
    if (!c)
        return st;
    if (beforeRow == -1)
        beforeRow = rows(*c) + 1;
    if (beforeRow < 1 || beforeRow > rows(*c) + 1 || count < 0)
        return ERR_ARG;
    if (count == 0)
        return OK;
    std::vector<model::Cell> blank(c->columns.size());
    c->cells.insert(c->cells.begin() + (beforeRow - 1), static_cast<size_t>(count), blank);
    if (!c->rowLabels.empty() && beforeRow - 1 <= static_cast<int>(c->rowLabels.size()))
        c->rowLabels.insert(c->rowLabels.begin() + (beforeRow - 1), static_cast<size_t>(count),
                            std::string());
    notifyControl(panel, ctrl, Change::Rows, beforeRow, count);
    return OK;
}

int deleteTableRows(int panel, int ctrl, int firstRow, int count)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::Table);
    if (!c)
        return st;
    if (firstRow < 1 || firstRow > rows(*c))
        return rows(*c) == 0 && count == -1 ? OK : ERR_ARG;
    if (count == -1 || firstRow - 1 + count > rows(*c))
        count = rows(*c) - firstRow + 1;
    if (count <= 0)
        return count == 0 ? OK : ERR_ARG;
    c->cells.erase(c->cells.begin() + (firstRow - 1), c->cells.begin() + (firstRow - 1 + count));
    if (static_cast<int>(c->rowLabels.size()) >= firstRow) {
        const int n = std::min(count, static_cast<int>(c->rowLabels.size()) - firstRow + 1);
        c->rowLabels.erase(c->rowLabels.begin() + (firstRow - 1),
                           c->rowLabels.begin() + (firstRow - 1 + n));
    }
    c->activeRow = std::clamp(c->activeRow, 1, std::max(1, rows(*c)));
    c->firstVisibleLine = clampFirstLine(*c, c->firstVisibleLine);
    notifyControl(panel, ctrl, Change::Rows, firstRow, -count);
    return OK;
}

int numTableRows(int panel, int ctrl)
{
    int st;
    const model::Control* c = get(panel, ctrl, st, Kind::Table);
    return c ? rows(*c) : st;
}

int numTableCols(int panel, int ctrl)
{
    int st;
    const model::Control* c = get(panel, ctrl, st, Kind::Table);
    return c ? cols(*c) : st;
}

int setCell(int panel, int ctrl, int row, int col, double value)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::Table);
    if (!c)
        return st;
    model::Cell* cell = cellAt(*c, row, col);
    if (!cell)
        return ERR_ARG;
    cell->num = value;
    if (c->columns[static_cast<size_t>(col - 1)].type == DataType::String)
        cell->text = formatNumber(value);
    notifyControl(panel, ctrl, Change::Cell, row, col);
    return OK;
}

int setCell(int panel, int ctrl, int row, int col, std::string_view text)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::Table);
    if (!c)
        return st;
    model::Cell* cell = cellAt(*c, row, col);
    if (!cell)
        return ERR_ARG;
    if (c->columns[static_cast<size_t>(col - 1)].type == DataType::String) {
        cell->text = std::string(text);
    } else {
        double v = 0;
        if (!parseNumber(text, v))
            return ERR_ARG;
        cell->num = v;
    }
    notifyControl(panel, ctrl, Change::Cell, row, col);
    return OK;
}

double cellNum(int panel, int ctrl, int row, int col)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::Table);
    const model::Cell* cell = c ? cellAt(*c, row, col) : nullptr;
    if (!cell)
        return 0.0;
    if (c->columns[static_cast<size_t>(col - 1)].type == DataType::String) {
        double v = 0;
        return parseNumber(cell->text, v) ? v : 0.0;
    }
    return cell->num;
}

std::string cellText(int panel, int ctrl, int row, int col)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::Table);
    const model::Cell* cell = c ? cellAt(*c, row, col) : nullptr;
    if (!cell)
        return {};
    if (c->columns[static_cast<size_t>(col - 1)].type == DataType::String)
        return cell->text;
    return formatNumber(cell->num);
}

int setCellTextColor(int panel, int ctrl, int row, int col, int colour)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::Table);
    if (!c)
        return st;
    model::Cell* cell = cellAt(*c, row, col);
    if (!cell)
        return ERR_ARG;
    cell->textColor = colour;
    notifyControl(panel, ctrl, Change::Cell, row, col);
    return OK;
}

int cellTextColor(int panel, int ctrl, int row, int col)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::Table);
    if (!c)
        return st;
    const model::Cell* cell = cellAt(*c, row, col);
    return cell ? cell->textColor : ERR_ARG;
}

int activeCell(int panel, int ctrl, int& row, int& col)
{
    int st;
    const model::Control* c = get(panel, ctrl, st, Kind::Table);
    if (!c)
        return st;
    row = c->activeRow;
    col = c->activeCol;
    return OK;
}

// --- list boxes and rings -------------------------------------------------------

int insertListItem(int panel, int ctrl, int index, std::string_view label, int value)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::ListBox, Kind::Ring);
    if (!c)
        return st;
    const int n = static_cast<int>(c->items.size());
    if (index == -1)
        index = n;
    if (index < 0 || index > n)
        return ERR_ARG;
    c->items.insert(c->items.begin() + index, model::ListItem{std::string(label), value});
    if (c->index < 0)
        c->index = 0;
    else if (index <= c->index)
        ++c->index; // the current item stays current
    int v = 0;
    if (currentItemValue(*c, v))
        c->num = v;
    notifyControl(panel, ctrl, Change::Items);
    return OK;
}

int clearList(int panel, int ctrl)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::ListBox, Kind::Ring);
    if (!c)
        return st;
    c->items.clear();
    c->index = -1;
    c->num = 0;
    notifyControl(panel, ctrl, Change::Items);
    return OK;
}

int numListItems(int panel, int ctrl)
{
    int st;
    const model::Control* c = get(panel, ctrl, st, Kind::ListBox, Kind::Ring, Kind::BinarySwitch);
    return c ? static_cast<int>(c->items.size()) : st;
}

int listIndex(int panel, int ctrl)
{
    int st;
    const model::Control* c = get(panel, ctrl, st, Kind::ListBox, Kind::Ring, Kind::BinarySwitch);
    if (!c)
        return st;
    return c->items.empty() ? -1 : c->index;
}

int setListIndex(int panel, int ctrl, int index)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::ListBox, Kind::Ring, Kind::BinarySwitch);
    if (!c)
        return st;
    if (index < 0 || index >= static_cast<int>(c->items.size()))
        return ERR_ARG;
    c->index = index;
    c->num = c->items[static_cast<size_t>(index)].value;
    notifyControl(panel, ctrl, Change::Value);
    return OK;
}

std::string listItemLabel(int panel, int ctrl, int index)
{
    int st;
    const model::Control* c = get(panel, ctrl, st, Kind::ListBox, Kind::Ring, Kind::BinarySwitch);
    if (!c || index < 0 || index >= static_cast<int>(c->items.size()))
        return {};
    return c->items[static_cast<size_t>(index)].label;
}

int listItemValue(int panel, int ctrl, int index, int& value)
{
    int st;
    const model::Control* c = get(panel, ctrl, st, Kind::ListBox, Kind::Ring, Kind::BinarySwitch);
    if (!c)
        return st;
    if (index < 0 || index >= static_cast<int>(c->items.size()))
        return ERR_ARG;
    value = c->items[static_cast<size_t>(index)].value;
    return OK;
}

// --- text boxes -----------------------------------------------------------------

int appendTextBoxLine(int panel, int ctrl, std::string_view line)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::TextBox);
    if (!c)
        return st;
    const int first = static_cast<int>(c->lines.size());
    for (auto& l : splitLines(line))
        c->lines.push_back(std::move(l));
    notifyControl(panel, ctrl, Change::LinesAppended, first, 0);
    return OK;
}

int resetTextBox(int panel, int ctrl, std::string_view text)
{
    int st;
    model::Control* c = get(panel, ctrl, st, Kind::TextBox);
    if (!c)
        return st;
    c->lines = text.empty() ? std::vector<std::string>{} : splitLines(text);
    c->firstVisibleLine = 0;
    notifyControl(panel, ctrl, Change::Everything);
    return OK;
}

int numTextBoxLines(int panel, int ctrl)
{
    int st;
    const model::Control* c = get(panel, ctrl, st, Kind::TextBox);
    return c ? static_cast<int>(c->lines.size()) : st;
}

std::string textBoxLine(int panel, int ctrl, int index)
{
    int st;
    const model::Control* c = get(panel, ctrl, st, Kind::TextBox);
    if (!c || index < 0 || index >= static_cast<int>(c->lines.size()))
        return {};
    return c->lines[static_cast<size_t>(index)];
}

} // namespace tk
