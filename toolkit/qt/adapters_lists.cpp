// Adapters of the kinds that offer items: list box and ring.
#include "toolkit/qt/adapter.h"
#include "toolkit/qt/widgets.h"

#include <QComboBox>
#include <QListWidget>
#include <QSignalBlocker>

namespace tk::qtui {

namespace {

using Type = core::InputEvent::Type;

class ListBoxAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override
    {
        // An item longer than the list is wide wraps onto more lines: its whole text shows.
        auto* list = new QListWidget(parent);
        list->setWordWrap(true);
        list->setTextElideMode(Qt::ElideNone);
        list->setResizeMode(QListView::Adjust);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return list;
    }
    CaptionPlace caption() const override { return CaptionPlace::Above; }
    void showItems(const model::Control& c, QWidget* f) const override
    {
        auto* list = static_cast<QListWidget*>(f);
        const QSignalBlocker block(list);
        list->clear();
        for (const model::ListItem& item : c.items)
            list->addItem(toQString(item.label));
    }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override
    {
        const QSignalBlocker block(f);
        static_cast<QListWidget*>(f)->setCurrentRow(c.index);
    }
    void connect(QtBackend& be, int panel, const model::Control& c, QWidget* f) const override
    {
        auto* list = static_cast<QListWidget*>(f);
        const int ctrl = c.id;
        QObject::connect(list, &QListWidget::currentRowChanged, list, [&be, panel, ctrl](int row) {
            if (be.syncing() || row < 0)
                return;
            core::storeIndex(panel, ctrl, row);
            post(Type::Commit, panel, ctrl);
        });
        QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                         [&be, list, panel, ctrl](QListWidgetItem* item) {
                             if (be.syncing())
                                 return;
                             const int row = list->row(item);
                             core::storeIndex(panel, ctrl, row);
                             post(Type::DoubleClick, panel, ctrl, row);
                         });
    }
};

class RingAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override { return new QComboBox(parent); }
    CaptionPlace caption() const override { return CaptionPlace::Above; }
    void showItems(const model::Control& c, QWidget* f) const override
    {
        auto* ring = static_cast<QComboBox*>(f);
        const QSignalBlocker block(ring);
        ring->clear();
        for (const model::ListItem& item : c.items)
            ring->addItem(toQString(item.label));
    }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override
    {
        const QSignalBlocker block(f);
        static_cast<QComboBox*>(f)->setCurrentIndex(c.index);
    }
    void connect(QtBackend& be, int panel, const model::Control& c, QWidget* f) const override
    {
        const int ctrl = c.id;
        QObject::connect(static_cast<QComboBox*>(f), &QComboBox::activated, f, [&be, panel, ctrl](int index) {
            const model::Control* m = model::control(panel, ctrl);
            if (be.syncing() || !m || m->index == index)
                return;
            core::storeIndex(panel, ctrl, index);
            post(Type::Commit, panel, ctrl);
        });
    }
};

} // namespace

const Adapter& listBoxAdapter() { static const ListBoxAdapter a; return a; }
const Adapter& ringAdapter() { static const RingAdapter a; return a; }

} // namespace tk::qtui
