#include "toolkit/qt/widgets.h"

#include "platform/files.h"
#include "platform/number_text.h"
#include "toolkit/backend.h"

#include <QCloseEvent>
#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QRadialGradient>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>
#include <limits>

namespace tk::qtui {

QColor toQColor(int rgb)
{
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString mnemonicText(std::string_view label)
{
    QString out;
    const QString in = toQString(label);
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == u'_' && i + 2 < in.size() && in[i + 1] == u'_') {
            out += u'&';
            ++i;
        } else if (in[i] == u'&') {
            out += QStringLiteral("&&");
        } else {
            out += in[i];
        }
    }
    return out;
}

QString plainLabel(std::string_view label)
{
    QString text = toQString(label);
    for (qsizetype i = text.indexOf(QStringLiteral("__")); i >= 0 && i + 2 < text.size();
         i = text.indexOf(QStringLiteral("__"), i))
        text.remove(i, 2);
    return text;
}

QString formatNumber(double value, int precision)
{
    // Fixed decimals for the values a field holds; an overload reading keeps its exponent.
    if (precision >= 0 && std::fabs(value) < 1e15)
        return QLocale::c().toString(value, 'f', precision);
    return toQString(platform::numberText(value));
}

// --- PanelWindow ---------------------------------------------------------------

PanelWindow::PanelWindow(std::function<void()> onClose, std::function<void()> onResize)
    : onClose_(std::move(onClose)), onResize_(std::move(onResize))
{
}

void PanelWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (onResize_)
        onResize_();
}

void PanelWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (onClose_)
        onClose_();
}

// --- LedLamp -------------------------------------------------------------------

LedLamp::LedLamp(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void LedLamp::setState(bool on, QColor onColor)
{
    if (on == on_ && onColor == onColor_)
        return;
    on_ = on;
    onColor_ = onColor;
    update();
}

void LedLamp::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int d = std::max(4, std::min(width(), height()) - 2);
    const QRectF r((width() - d) / 2.0, (height() - d) / 2.0, d, d);
    const QColor base = on_ ? onColor_ : onColor_.darker(400);
    QRadialGradient g(r.center() - QPointF(d / 6.0, d / 6.0), d / 1.6);
    g.setColorAt(0, on_ ? base.lighter(160) : base.lighter(140));
    g.setColorAt(1, base);
    p.setBrush(g);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    p.drawEllipse(r);
}

// --- NumField ------------------------------------------------------------------

namespace {

bool isInteger(DataType type)
{
    return type == DataType::Int16 || type == DataType::UInt16 || type == DataType::Int32 ||
           type == DataType::UInt32;
}

bool parses(const QString& text, double& value)
{
    return core::parseTypedNumber(text.toStdString(), value);
}

// The start of a number still being typed: a sign, "1e", "1e-", ".", or the
// beginning of "nan" or "infinity".
bool numberUnderway(const QString& text)
{
    double v = 0.0;
    if (text.isEmpty() || parses(text + u'0', v))
        return true;
    QString word = text.toLower();
    if (word.startsWith(u'-') || word.startsWith(u'+'))
        word.remove(0, 1);
    return !word.isEmpty() && (QStringLiteral("nan").startsWith(word) || QStringLiteral("infinity").startsWith(word));
}

} // namespace

NumField::NumField(QWidget* parent, DataType type) : QAbstractSpinBox(parent), type_(type)
{
    setAccelerated(true);
    lineEdit()->setText(formatNumber(value_));
    QObject::connect(lineEdit(), &QLineEdit::textEdited, this, [this] { edited_ = true; });
    // Enter and leaving the field both end the editing; only an edit is an input.
    QObject::connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        if (edited_)
            commitTyped();
    });
}

void NumField::setValue(double value)
{
    value_ = value;
    edited_ = false;
    // An integer field holds whole numbers; NaN is a field with nothing in it.
    const QString text = std::isnan(value) ? QString() : formatNumber(value, precision_);
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
}

void NumField::setPrecision(int digits)
{
    precision_ = isInteger(type_) ? -1 : digits;
    setValue(value_);
}

void NumField::setLimits(double lo, double hi)
{
    limited_ = true;
    lo_ = lo;
    hi_ = std::max(lo, hi);
}

// Keystrokes that cannot belong to a number are refused; every number the
// toolkit reads is taken as it is, in or out of the limits.
QValidator::State NumField::validate(QString& input, int&) const
{
    const QString text = input.trimmed();
    if (isInteger(type_)) {
        qsizetype digits = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
        const qsizetype sign = digits;
        while (digits < text.size() && text[digits].isDigit())
            ++digits;
        if (digits < text.size())
            return QValidator::Invalid;
        return digits > sign ? QValidator::Acceptable : QValidator::Intermediate;
    }
    double v = 0.0;
    if (parses(text, v))
        return QValidator::Acceptable;
    return numberUnderway(text) ? QValidator::Intermediate : QValidator::Invalid;
}

void NumField::commitTyped()
{
    edited_ = false;
    double v = 0.0;
    if (!parses(lineEdit()->text().trimmed(), v)) {
        // Not yet a number ("", "-", "1e"): the field shows its value again.
        setValue(value_);
        return;
    }
    value_ = v;
    if (onCommit)
        onCommit(v);
}

void NumField::stepBy(int steps)
{
    if (isReadOnly())
        return;
    const double from = std::isfinite(value_) ? value_ : (limited_ ? lo_ : 0.0);
    double v = from + steps * step_;
    if (limited_)
        v = std::clamp(v, lo_, hi_);
    if (isInteger(type_))
        v = std::round(v);
    setValue(v);
    if (onCommit)
        onCommit(v);
}

QAbstractSpinBox::StepEnabled NumField::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    if (!limited_)
        return StepUpEnabled | StepDownEnabled;
    StepEnabled e = StepNone;
    if (!(value_ >= hi_))
        e |= StepUpEnabled;
    if (!(value_ <= lo_))
        e |= StepDownEnabled;
    return e;
}

// --- TableField ----------------------------------------------------------------

TableField::TableField(QWidget* parent) : QTableWidget(parent), corner_(new QLabel(this))
{
    // The row labels are painted whole at every scroll: moved as pixels, a
    // label left from before a change of the rows would stay beside another row.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { verticalHeader()->viewport()->update(); });
    corner_->setAlignment(Qt::AlignCenter);
    corner_->setTextFormat(Qt::PlainText);
    corner_->setAttribute(Qt::WA_TransparentForMouseEvents);
    corner_->hide();
}

void TableField::setCornerText(const QString& text)
{
    corner_->setText(text);
    corner_->setVisible(!text.isEmpty());
    // The row labels' column is as wide as the corner label needs.
    const int need = text.isEmpty() ? 0 : corner_->fontMetrics().horizontalAdvance(text) + 10;
    verticalHeader()->setMinimumWidth(need);
    updateGeometries();
}

QString TableField::cornerText() const
{
    return corner_->text();
}

void TableField::updateGeometries()
{
    QTableWidget::updateGeometries();
    fitColumns();
    // The corner sits where the two headers meet; the label covers it.
    const int w = verticalHeader()->isVisible() ? verticalHeader()->width() : 0;
    const int h = horizontalHeader()->isVisible() ? horizontalHeader()->height() : 0;
    corner_->setGeometry(frameWidth(), frameWidth(), w, h);
    corner_->raise();
    if (pendingTopRow_ >= 0 && isVisible()) {
        verticalScrollBar()->setValue(pendingTopRow_);
        pendingTopRow_ = -1;
    }
}

// Every column as wide as its heading needs; the room left over is shared
// out so that the columns fill the table.
void TableField::fitColumns()
{
    const int n = columnCount();
    if (n == 0 || fitting_)
        return;
    fitting_ = true;
    QHeaderView* header = horizontalHeader();
    const QFontMetrics fm(header->font());
    std::vector<int> need(static_cast<size_t>(n));
    int sum = 0;
    for (int i = 0; i < n; ++i) {
        const QTableWidgetItem* h = horizontalHeaderItem(i);
        const QString text = h ? h->text() : QString::number(i + 1);
        need[static_cast<size_t>(i)] = std::max(fm.horizontalAdvance(text) + 16, 48);
        sum += need[static_cast<size_t>(i)];
    }
    const int extra = std::max(0, viewport()->width() - sum);
    for (int i = 0; i < n; ++i) {
        const int w = need[static_cast<size_t>(i)] + extra / n + (i == n - 1 ? extra % n : 0);
        if (header->sectionSize(i) != w)
            header->resizeSection(i, w);
    }
    fitting_ = false;
}

void TableField::setTopRow(int row)
{
    // Scrolling per item: the scroll bar's value is the index of the top row.
    // Its range follows the rows at the next layout; laid out now, so that a
    // row just added can be scrolled to.
    pendingTopRow_ = row;
    if (isVisible())
        updateGeometries();
}

// --- PictureFrame --------------------------------------------------------------

PictureFrame::PictureFrame(QWidget* parent, const QString& imageFile) : QWidget(parent)
{
    // Only a regular file is read: a FIFO or a device named by the resource
    // would block the program in the open or the read. Anything else shows
    // as the blank frame, as a missing file does.
    if (imageFile.isEmpty())
        return;
    const std::optional<std::string> bytes = platform::readRegularFile(imageFile.toStdString());
    if (!bytes)
        return;
    QByteArray data = QByteArray::fromStdString(*bytes);
    // Read as the format its suffix names, without asking every image plugin
    // (loading each of them costs more than the picture); else as whatever it is.
    QBuffer buffer(&data);
    QImageReader byName(&buffer, QFileInfo(imageFile).suffix().toLatin1());
    byName.setAutoDetectImageFormat(false);
    QImage picture = byName.read();
    if (picture.isNull())
        picture.loadFromData(data);
    image_ = QPixmap::fromImage(picture);
}

void PictureFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!image_.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(rect(), image_);
        return;
    }
    const QRect r = rect().adjusted(0, 0, -1, -1);
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, palette().color(QPalette::Window).lighter(115));
    g.setColorAt(1, palette().color(QPalette::Window).darker(115));
    p.fillRect(r, g);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(r);
}

} // namespace tk::qtui
