// Adapter of the text box, updated incrementally: appended lines are added
// to the document, so long logs stay fast.
#include "toolkit/qt/adapter.h"
#include "toolkit/qt/widgets.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

#include <algorithm>

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

class TextBoxAdapter final : public Adapter {
public:
    QWidget* make(const model::Control& c, QWidget* parent) const override
    {
        auto* t = new QPlainTextEdit(parent);
        t->setReadOnly(true);
        t->setLineWrapMode(QPlainTextEdit::NoWrap);
        t->setUndoRedoEnabled(false);
        if (c.monospace) {
            QFont mono(QStringLiteral("DejaVu Sans Mono"));
            mono.setStyleHint(QFont::Monospace);
            mono.setFixedPitch(true);
            t->setFont(mono);
        }
        return t;
    }
    void place(const model::Control& c, QWidget* f) const override
    {
        Adapter::place(c, f);
        fitLine(c, static_cast<QPlainTextEdit*>(f));
    }
    CaptionPlace caption() const override { return CaptionPlace::Above; }
    // Read-only already; an indicator text box can still be scrolled.
    void makeIndicator(QWidget*) const override {}

    void showAll(QtBackend&, int, const model::Control& c, QWidget* f) const override { rebuild(c, f); }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override { rebuild(c, f); }
    void showLook(const model::Control& c, QWidget* f) const override
    {
        scroll(c, f);
        if (c.backColor != kWhite || f->testAttribute(Qt::WA_SetPalette)) {
            QPalette pal = f->palette();
            pal.setColor(QPalette::Base, toQColor(c.backColor));
            f->setPalette(pal);
        }
    }
    void showChange(QtBackend& be, int panel, const model::Control& c, QWidget* f, Change what, int a,
                    int b) const override
    {
        if (what == Change::LinesAppended)
            append(c, f, a);
        else if (what == Change::LineColor)
            colourLine(c, static_cast<QPlainTextEdit*>(f), a);
        else
            rebuild(c, f);
    }

private:
    static void rebuild(const model::Control& c, QWidget* f)
    {
        auto* box = static_cast<QPlainTextEdit*>(f);
        const QSignalBlocker block(box);
        box->setPlainText(joinLines(c.lines, 0));
        for (const auto& [line, colour] : c.lineColors)
            colourLine(c, box, line);
        scroll(c, box);
    }

    // A box sized for so many characters a line takes the largest font of its
    // family in which that many fit its width (the program's font at most).
    static void fitLine(const model::Control& c, QPlainTextEdit* box)
    {
        if (c.columnsShown <= 0)
            return;
        const int room = box->viewport()->width() > 0 && box->isVisible()
                             ? box->viewport()->width()
                             : box->width() - 2 * box->frameWidth() - box->verticalScrollBar()->sizeHint().width();
        const int usable = room - static_cast<int>(2 * box->document()->documentMargin()) - 2;
        const QString sample(c.columnsShown, u'0');
        QFont font = box->font();
        font.setPointSizeF(box->parentWidget() ? box->parentWidget()->font().pointSizeF() : font.pointSizeF());
        while (QFontMetrics(font).horizontalAdvance(sample) > usable && font.pointSizeF() > 5.0)
            font.setPointSizeF(font.pointSizeF() - 0.25);
        if (font != box->font())
            box->setFont(font);
    }

    static void colourLine(const model::Control& c, QPlainTextEdit* box, int line)
    {
        const QTextBlock block = box->document()->findBlockByNumber(line);
        if (!block.isValid())
            return;
        const auto it = c.lineColors.find(line);
        QTextCharFormat format;
        format.setForeground(toQColor(it == c.lineColors.end() ? c.textColor : it->second));
        const QSignalBlocker blocker(box);
        QTextCursor cursor(block);
        cursor.select(QTextCursor::BlockUnderCursor);
        // The block's own text only: the line break before it belongs to the line above.
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }

    static void append(const model::Control& c, QWidget* f, int from)
    {
        auto* box = static_cast<QPlainTextEdit*>(f);
        const int shown = box->document()->isEmpty() ? 0 : box->document()->blockCount();
        // Lines the widget already holds are not written again; if it is out of
        // step with the model (not a plain append), rebuild it.
        if (from < 0 || from != shown || static_cast<size_t>(from) > c.lines.size()) {
            rebuild(c, box);
            return;
        }
        if (static_cast<size_t>(from) == c.lines.size())
            return;
        const QSignalBlocker block(box);
        QTextCursor cursor(box->document());
        cursor.movePosition(QTextCursor::End);
        // New lines in the box's own colour, whatever the line before them has.
        cursor.setCharFormat(QTextCharFormat());
        cursor.insertText((from > 0 ? QStringLiteral("\n") : QString())
                          + joinLines(c.lines, static_cast<size_t>(from)));
        for (auto it = c.lineColors.lower_bound(from); it != c.lineColors.end(); ++it)
            colourLine(c, box, it->first);
        scroll(c, box);
    }

    static void scroll(const model::Control& c, QWidget* f)
    {
        // Without line wrap the scroll bar counts lines: its value is the top line.
        QScrollBar* bar = static_cast<QPlainTextEdit*>(f)->verticalScrollBar();
        bar->setValue(std::clamp(c.firstVisibleLine, 0, std::max(0, bar->maximum())));
    }
};

} // namespace

const Adapter& textBoxAdapter() { static const TextBoxAdapter a; return a; }

int QtBackend::textBoxHeight(int panel, int ctrl, int lines)
{
    auto* box = qobject_cast<QPlainTextEdit*>(controlField(panel, ctrl));
    if (!box)
        return Backend::textBoxHeight(panel, ctrl, lines);
    // The lines of the box's font, its document margin above and below, its frame.
    const double margin = box->document()->documentMargin();
    return lines * box->fontMetrics().lineSpacing() + static_cast<int>(2 * margin) + 2 * box->frameWidth() + 1;
}

} // namespace tk::qtui
