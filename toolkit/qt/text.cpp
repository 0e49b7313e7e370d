// Text boxes and tables, updated incrementally: appended lines are added to
// the document, a changed cell updates one item, new rows build only their
// own items, so long logs and tables stay fast.
#include "toolkit/qt/qt_backend.h"
#include "toolkit/qt/widgets.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>

namespace tk::qtui {

namespace {

QString joinLines(const std::vector<std::string>& lines, size_t from)
{
    QString text;
    for (size_t i = from; i < lines.size(); ++i) {
        if (i > from)
            text += u'\n';
        text += toQString(lines[i]);
    }
    return text;
}

QStringList rowLabels(const model::Control& c, int from, int to)
{
    QStringList labels;
    for (int r = from; r < to; ++r) {
        if (static_cast<size_t>(r) < c.rowLabels.size())
            labels << toQString(c.rowLabels[static_cast<size_t>(r)]);
        else
            labels << QString::number(r + 1);
    }
    return labels;
}

void setRowHeaders(const model::Control& c, QTableWidget* t, int from, int to)
{
    const QStringList labels = rowLabels(c, from, to);
    for (int r = from; r < to; ++r) {
        QTableWidgetItem* h = t->verticalHeaderItem(r);
        const QString& text = labels[r - from];
        if (!h)
            t->setVerticalHeaderItem(r, new QTableWidgetItem(text));
        else if (h->text() != text)
            h->setText(text);
    }
}

} // namespace

void QtBackend::applyTextBox(const model::Control& c, QWidget* field)
{
    auto* box = qobject_cast<QPlainTextEdit*>(field);
    if (!box)
        return;
    const QSignalBlocker block(box);
    box->setPlainText(joinLines(c.lines, 0));
    scrollTextBox(c, box);
}

void QtBackend::appendLines(const model::Control& c, QWidget* field, int from)
{
    auto* box = qobject_cast<QPlainTextEdit*>(field);
    if (!box)
        return;
    const int shown = box->document()->isEmpty() ? 0 : box->document()->blockCount();
    // Lines the widget already holds are not written again; if it is out of
    // step with the model (not a plain append), rebuild it.
    if (from < 0 || from != shown || static_cast<size_t>(from) > c.lines.size()) {
        applyTextBox(c, box);
        return;
    }
    if (static_cast<size_t>(from) == c.lines.size())
        return;
    const QSignalBlocker block(box);
    QTextCursor cursor(box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText((from > 0 ? QStringLiteral("\n") : QString()) + joinLines(c.lines, static_cast<size_t>(from)));
    scrollTextBox(c, box);
}

int QtBackend::textBoxHeight(int panel, int ctrl, int lines)
{
    auto* box = qobject_cast<QPlainTextEdit*>(controlField(panel, ctrl));
    if (!box)
        return Backend::textBoxHeight(panel, ctrl, lines);
    // The lines of the box's font, its document margin above and below, its frame.
    const double margin = box->document()->documentMargin();
    return lines * box->fontMetrics().lineSpacing() + static_cast<int>(2 * margin) + 2 * box->frameWidth() + 1;
}

void QtBackend::scrollTextBox(const model::Control& c, QWidget* field)
{
    auto* box = qobject_cast<QPlainTextEdit*>(field);
    if (!box)
        return;
    // Without line wrap the scroll bar counts lines: its value is the top line.
    QScrollBar* bar = box->verticalScrollBar();
    bar->setValue(std::clamp(c.firstVisibleLine, 0, std::max(0, bar->maximum())));
}

void QtBackend::applyTable(const model::Control& c, QWidget* field)
{
    auto* t = dynamic_cast<TableField*>(field);
    if (!t)
        return;
    const QSignalBlocker block(t);
    const int cols = static_cast<int>(c.columns.size());
    const int rows = static_cast<int>(c.cells.size());
    t->setColumnCount(cols);
    QStringList headers;
    for (const model::Column& col : c.columns)
        headers << toQString(col.label);
    t->setHorizontalHeaderLabels(headers);
    t->setRowCount(rows);
    setRowHeaders(c, t, 0, rows);
    t->setCornerText(toQString(c.cornerLabel));
    for (int r = 1; r <= rows; ++r)
        for (int col = 1; col <= cols; ++col)
            applyCell(c, t, r, col);
    scrollTable(c, t);
}

// row and col are 1-based, as the toolkit addresses cells.
void QtBackend::applyCell(const model::Control& c, QWidget* field, int row, int col)
{
    auto* t = qobject_cast<QTableWidget*>(field);
    if (!t || row < 1 || col < 1 || static_cast<size_t>(row) > c.cells.size())
        return;
    const auto& cells = c.cells[static_cast<size_t>(row - 1)];
    if (static_cast<size_t>(col) > cells.size() || row > t->rowCount() || col > t->columnCount())
        return;
    const model::Cell& cell = cells[static_cast<size_t>(col - 1)];
    const bool isText = static_cast<size_t>(col) <= c.columns.size() &&
                        c.columns[static_cast<size_t>(col - 1)].type == DataType::String;
    const QSignalBlocker block(t);
    QTableWidgetItem* item = t->item(row - 1, col - 1);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(isText ? (Qt::AlignLeft | Qt::AlignVCenter) : (Qt::AlignRight | Qt::AlignVCenter));
        // Only numbers can be typed in: the core stores cells as numbers.
        if (isText)
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        t->setItem(row - 1, col - 1, item);
    }
    const QString text = isText ? toQString(cell.text) : formatNumber(cell.num);
    if (item->text() != text)
        item->setText(text);
    const QColor colour = toQColor(cell.textColor);
    if (item->foreground().color() != colour)
        item->setForeground(colour);
}

// Rows were inserted or deleted. When the widget's rows still match the
// model's up to the change, only the rows after it are rebuilt.
void QtBackend::syncRows(const model::Control& c, QWidget* field, int a, int b)
{
    auto* t = qobject_cast<QTableWidget*>(field);
    if (!t)
        return;
    const QSignalBlocker block(t);
    const int rows = static_cast<int>(c.cells.size());
    const int cols = static_cast<int>(c.columns.size());
    const int before = t->rowCount();
    // a: first row touched (1-based) when the core says; else everything.
    int first = (a >= 1 && a <= std::max(before, rows) + 1) ? a - 1 : 0;
    first = std::min(first, std::min(before, rows));
    if (t->columnCount() != cols)
        t->setColumnCount(cols);
    t->setRowCount(rows);
    setRowHeaders(c, t, first, rows);
    for (int r = first + 1; r <= rows; ++r)
        for (int col = 1; col <= cols; ++col)
            applyCell(c, t, r, col);
    scrollTable(c, t);
    (void)b;
}

void QtBackend::scrollTable(const model::Control& c, QWidget* field)
{
    auto* t = dynamic_cast<TableField*>(field);
    if (!t || c.firstVisibleLine < 1 || c.firstVisibleLine > t->rowCount())
        return;
    t->setTopRow(c.firstVisibleLine - 1);
}

} // namespace tk::qtui
