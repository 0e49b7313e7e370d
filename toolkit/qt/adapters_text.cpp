// Adapter of the text box, updated incrementally: appended lines are added
// to the document, so long logs stay fast.
#include "toolkit/qt/adapter.h"
#include "toolkit/qt/widgets.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
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
        else
            rebuild(c, f);
    }

private:
    static void rebuild(const model::Control& c, QWidget* f)
    {
        auto* box = static_cast<QPlainTextEdit*>(f);
        const QSignalBlocker block(box);
        box->setPlainText(joinLines(c.lines, 0));
        scroll(c, box);
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
        cursor.insertText((from > 0 ? QStringLiteral("\n") : QString())
                          + joinLines(c.lines, static_cast<size_t>(from)));
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
