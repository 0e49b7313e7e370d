// Adapters of the kinds that frame or hold other things: decoration,
// picture, canvas, and the tab control that hosts panels as pages.
#include "toolkit/qt/adapter.h"
#include "toolkit/qt/widgets.h"

#include <QFrame>
#include <QTabWidget>

namespace tk::qtui {

namespace {

using Type = core::InputEvent::Type;

class DecorationAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override
    {
        auto* f = new QFrame(parent);
        f->setFrameStyle(QFrame::Box | QFrame::Sunken);
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
        return f;
    }
};

class PictureAdapter final : public Adapter {
public:
    QWidget* make(const model::Control& c, QWidget* parent) const override
    {
        return new PictureFrame(parent, toQString(c.image));
    }
};

class CanvasAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override
    {
        auto* f = new QFrame(parent);
        f->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        return f;
    }
};

// The pages are panels of their own; the backend puts their surfaces in.
class TabAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override { return new QTabWidget(parent); }
    void showValue(QtBackend& be, int panel, const model::Control& c, QWidget*) const override
    {
        be.syncPages(panel, c.id);
    }
    void showChange(QtBackend& be, int panel, const model::Control& c, QWidget*, Change, int, int) const override
    {
        be.syncPages(panel, c.id);
    }
    void connect(QtBackend& be, int panel, const model::Control& c, QWidget* f) const override
    {
        const int ctrl = c.id;
        QObject::connect(static_cast<QTabWidget*>(f), &QTabWidget::currentChanged, f, [&be, panel, ctrl](int index) {
            if (be.syncing() || index < 0)
                return;
            core::storeActivePage(panel, ctrl, index);
            post(Type::TabChanged, panel, ctrl, index);
        });
    }
};

} // namespace

const Adapter& decorationAdapter() { static const DecorationAdapter a; return a; }
const Adapter& pictureAdapter() { static const PictureAdapter a; return a; }
const Adapter& canvasAdapter() { static const CanvasAdapter a; return a; }
const Adapter& tabAdapter() { static const TabAdapter a; return a; }

} // namespace tk::qtui
