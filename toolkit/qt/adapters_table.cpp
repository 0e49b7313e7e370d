// Adapter of the table, updated incrementally: a changed cell updates one
// item, new rows build only their own items, so long tables stay fast.
#include "toolkit/qt/adapter.h"
#include "toolkit/qt/widgets.h"

#include <QHeaderView>
#include <QLocale>
#include <QSignalBlocker>

#include <cmath>

namespace tk::qtui {

namespace {

using Type = core::InputEvent::Type;

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

// row and col are 1-based, as the toolkit addresses cells.
void showCell(const model::Control& c, QTableWidget* t, int row, int col)
{
    if (row < 1 || col < 1 || static_cast<size_t>(row) > c.cells.size())
        return;
    const auto& cells = c.cells[static_cast<size_t>(row - 1)];
    if (static_cast<size_t>(col) > cells.size() || row > t->rowCount() || col > t->columnCount())
        return;
    const model::Cell& cell = cells[static_cast<size_t>(col - 1)];
    const model::Column* column = static_cast<size_t>(col) <= c.columns.size() ? &c.columns[static_cast<size_t>(col - 1)]
                                                                                : nullptr;
    const bool isText = column && column->type == DataType::String;
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
    const QString text = isText ? toQString(cell.text) : formatNumber(cell.num, column ? column->precision : -1);
    if (item->text() != text)
        item->setText(text);
    const QColor colour = toQColor(cell.textColor);
    if (item->foreground().color() != colour)
        item->setForeground(colour);
}

void scroll(const model::Control& c, TableField* t)
{
    if (c.firstVisibleLine < 1 || c.firstVisibleLine > t->rowCount())
        return;
    t->setTopRow(c.firstVisibleLine - 1);
}

void rebuild(const model::Control& c, TableField* t)
{
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
            showCell(c, t, r, col);
    scroll(c, t);
}

// Rows were inserted or deleted from row `first` (1-based) on. When the
// widget's rows still match the model's up to there, only the rows after it
// are rebuilt.
void syncRows(const model::Control& c, TableField* t, int first)
{
    const QSignalBlocker block(t);
    const int rows = static_cast<int>(c.cells.size());
    const int cols = static_cast<int>(c.columns.size());
    const int before = t->rowCount();
    int from = (first >= 1 && first <= std::max(before, rows) + 1) ? first - 1 : 0;
    from = std::min(from, std::min(before, rows));
    if (t->columnCount() != cols)
        t->setColumnCount(cols);
    t->setRowCount(rows);
    setRowHeaders(c, t, from, rows);
    for (int r = from + 1; r <= rows; ++r)
        for (int col = 1; col <= cols; ++col)
            showCell(c, t, r, col);
    scroll(c, t);
}

class TableAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override
    {
        auto* t = new TableField(parent);
        t->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        t->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
        t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return t;
    }
    CaptionPlace caption() const override { return CaptionPlace::Above; }
    void showAll(QtBackend&, int, const model::Control& c, QWidget* f) const override
    {
        rebuild(c, static_cast<TableField*>(f));
    }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override
    {
        rebuild(c, static_cast<TableField*>(f));
    }
    void showLook(const model::Control& c, QWidget* f) const override { scroll(c, static_cast<TableField*>(f)); }
    void showChange(QtBackend&, int, const model::Control& c, QWidget* f, Change what, int a, int b) const override
    {
        auto* t = static_cast<TableField*>(f);
        if (what == Change::Cell)
            showCell(c, t, a, b);
        else if (what == Change::Rows)
            syncRows(c, t, a);
        else
            rebuild(c, t);
    }
    void connect(QtBackend& be, int panel, const model::Control& c, QWidget* f) const override
    {
        auto* t = static_cast<TableField*>(f);
        const int ctrl = c.id;
        QObject::connect(t, &QTableWidget::cellDoubleClicked, t, [&be, panel, ctrl](int row, int col) {
            if (!be.syncing())
                post(Type::DoubleClick, panel, ctrl, row + 1, col + 1);
        });
        QObject::connect(t, &QTableWidget::itemChanged, t, [&be, t, panel, ctrl](QTableWidgetItem* item) {
            if (be.syncing())
                return;
            bool ok = false;
            const double v = QLocale::c().toDouble(item->text().trimmed(), &ok);
            const int row = item->row() + 1, col = item->column() + 1;
            // "nan" and "inf" parse, but no cell holds them as typed.
            if (ok && std::isfinite(v)) {
                core::storeCell(panel, ctrl, row, col, v);
                post(Type::Commit, panel, ctrl, row, col);
            }
            // Show what the core holds: the number as accepted, or the old value.
            if (const model::Control* m = model::control(panel, ctrl)) {
                Syncing guard(be);
                showCell(*m, t, row, col);
            }
        });
    }
};

} // namespace

const Adapter& tableAdapter() { static const TableAdapter a; return a; }

} // namespace tk::qtui
