// Small widgets the Qt backend needs beyond the stock ones: the panel window
// that hands its close box to the core, an LED lamp, a numeric field that
// shows numbers without padding zeros and passes on what is typed, a table
// with a corner label.
#pragma once

#include "toolkit/toolkit.h"

#include <QColor>
#include <QAbstractSpinBox>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QTableWidget>
#include <QWidget>

#include <functional>
#include <string_view>

class QCloseEvent;
class QResizeEvent;
class QPaintEvent;

namespace tk::qtui {

QColor toQColor(int rgb);
QString toQString(std::string_view text);
// "__X" marks X as the mnemonic: "&X" for Qt; a literal '&' is doubled.
QString mnemonicText(std::string_view label);
// The label as displayed where no mnemonic applies: the "__" markers removed.
QString plainLabel(std::string_view label);
// Numbers as the operator reads them: up to 10 significant digits, no padding;
// or, with a precision, that many digits after the point.
QString formatNumber(double value, int precision = -1);

// A top-level panel window. The close box never closes it: the core decides.
class PanelWindow : public QWidget {
public:
    PanelWindow(std::function<void()> onClose, std::function<void()> onResize);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<void()> onClose_;
    std::function<void()> onResize_;
};

// A round lamp: its on-colour when on, a dark shade of it when off.
class LedLamp : public QWidget {
public:
    explicit LedLamp(QWidget* parent);
    void setState(bool on, QColor onColor);
    bool isOn() const { return on_; }
    QColor onColor() const { return onColor_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
    QColor onColor_{Qt::green};
};

// A numeric field for every data type. It shows the value the model holds,
// any double (NaN and the infinities too), without padding zeros; integers
// without decimals. What the operator types is handed on as typed, never
// fitted to the limits (the program refuses what it cannot take, and says
// why); only the arrows keep within the limits.
class NumField : public QAbstractSpinBox {
public:
    NumField(QWidget* parent, DataType type);
    // Digits shown after the point (-1: the value's significant digits). What
    // the operator types keeps every digit typed.
    void setPrecision(int digits);
    // Shows a value (the program's, not an input); NaN shows as an empty field.
    void setValue(double value);
    double value() const { return value_; }
    void setLimits(double lo, double hi);
    void setStep(double step) { step_ = step; }
    // Called with each value the operator commits: a number typed and
    // entered (Enter, or leaving the edited field) or a step of the arrows.
    std::function<void(double)> onCommit;

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString&) const override {}
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    void commitTyped();

    DataType type_;
    double value_ = 0.0;
    bool limited_ = false;
    double lo_ = 0.0, hi_ = 0.0, step_ = 1.0;
    bool edited_ = false; // the operator changed the text since it was shown or entered
    int precision_ = -1;
};

// A table whose top-left corner carries a label.
class TableField : public QTableWidget {
public:
    explicit TableField(QWidget* parent);
    void setCornerText(const QString& text);
    QString cornerText() const;
    // Scrolls so that row (0-based) is the top row, or, near the end, so that
    // the last row is whole at the bottom; a table not yet laid out (on a
    // hidden tab page) scrolls when it is.
    void setTopRow(int row);

protected:
    void updateGeometries() override;

private:
    void fitColumns();

    QLabel* corner_;
    bool fitting_ = false;
    int pendingTopRow_ = -1;
};

// The picture of a panel, scaled to its frame; a framed blank area when the
// image file cannot be read.
class PictureFrame : public QWidget {
public:
    PictureFrame(QWidget* parent, const QString& imageFile);
    const QPixmap& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap image_;
};

} // namespace tk::qtui
