// Tables: rows, cells and their colours, the active cell.
#include "toolkit/core_state.h"

#include <algorithm>

namespace tk {

using namespace detail;

namespace {

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

int insertTableRows(int panel, int ctrl, int beforeRow, int count)
{
    const Target t = targetControl("insertTableRows", panel, ctrl, {Kind::Table});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
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
    const Target t = targetControl("deleteTableRows", panel, ctrl, {Kind::Table});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
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
    const Target t = targetControl("numTableRows", panel, ctrl, {Kind::Table});
    const model::Control* c = t.ctrl;
    return c ? rows(*c) : t.status;
}

int numTableCols(int panel, int ctrl)
{
    const Target t = targetControl("numTableCols", panel, ctrl, {Kind::Table});
    const model::Control* c = t.ctrl;
    return c ? cols(*c) : t.status;
}

int setCell(int panel, int ctrl, int row, int col, double value)
{
    const Target t = targetControl("setCell", panel, ctrl, {Kind::Table});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
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
    const Target t = targetControl("setCell", panel, ctrl, {Kind::Table});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
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
    const Target t = targetControl("cellNum", panel, ctrl, {Kind::Table});
    model::Control* c = t.ctrl;
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
    const Target t = targetControl("cellText", panel, ctrl, {Kind::Table});
    model::Control* c = t.ctrl;
    const model::Cell* cell = c ? cellAt(*c, row, col) : nullptr;
    if (!cell)
        return {};
    if (c->columns[static_cast<size_t>(col - 1)].type == DataType::String)
        return cell->text;
    return formatNumber(cell->num);
}

int setCellTextColor(int panel, int ctrl, int row, int col, int colour)
{
    const Target t = targetControl("setCellTextColor", panel, ctrl, {Kind::Table});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    model::Cell* cell = cellAt(*c, row, col);
    if (!cell)
        return ERR_ARG;
    cell->textColor = colour;
    notifyControl(panel, ctrl, Change::Cell, row, col);
    return OK;
}

int cellTextColor(int panel, int ctrl, int row, int col)
{
    const Target t = targetControl("cellTextColor", panel, ctrl, {Kind::Table});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    const model::Cell* cell = cellAt(*c, row, col);
    return cell ? cell->textColor : ERR_ARG;
}

int activeCell(int panel, int ctrl, int& row, int& col)
{
    const Target t = targetControl("activeCell", panel, ctrl, {Kind::Table});
    const model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    row = c->activeRow;
    col = c->activeCol;
    return OK;
}

} // namespace tk
