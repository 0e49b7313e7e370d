// The menu bar: a QMenuBar across the top of its panel's window, menus with
// their items and separators; a chosen item is queued for the core.
#include "toolkit/qt/qt_backend.h"
#include "toolkit/qt/widgets.h"

#include <QMenu>

namespace tk::qtui {

void QtBackend::menuBarCreated(int menuBar)
{
    buildMenuBar(menuBar);
    repaintIfStarved();
}

void QtBackend::menuChanged(int menuBar, int item)
{
    applyMenuItem(menuBar, item);
}

void QtBackend::buildMenuBar(int handle)
{
    const model::MenuBar* mb = model::menuBar(handle);
    if (!mb)
        return;
    if (!ui(mb->panel))
        buildPanel(mb->panel);
    PanelUi* u = ui(mb->panel);
    if (!u || !u->window)
        return;
    delete u->menuBar.data();
    u->menuActions.clear();
    auto* bar = new QMenuBar(u->window);
    bar->setNativeMenuBar(false);
    bar->setObjectName(QStringLiteral("menubar%1").arg(handle));
    u->menuBar = bar;
    u->menuBarHandle = handle;

    QMenu* menu = nullptr;
    for (const model::MenuItem& item : mb->items) {
        QAction* action = nullptr;
        if (item.isMenu) {
            menu = bar->addMenu(mnemonicText(item.text));
            action = menu->menuAction();
        } else if (item.separator) {
            action = menu ? menu->addSeparator() : bar->addSeparator();
        } else {
            action = menu ? menu->addAction(mnemonicText(item.text)) : bar->addAction(mnemonicText(item.text));
            const int id = item.id;
            QObject::connect(action, &QAction::triggered, bar, [this, handle, id] {
                if (!syncing())
                    core::queue({core::InputEvent::Type::Menu, handle, 0, id, 0});
            });
        }
        if (!item.constName.empty())
            action->setObjectName(toQString(item.constName));
        action->setProperty("tkMenuItem", item.id);
        action->setEnabled(!item.dimmed);
        u->menuActions[item.id] = action;
    }
    bar->show();
    layoutWindow(mb->panel);
}

void QtBackend::applyMenuItem(int handle, int item)
{
    const model::MenuBar* mb = model::menuBar(handle);
    PanelUi* u = mb ? ui(mb->panel) : nullptr;
    if (!u || u->menuBarHandle != handle) {
        if (mb)
            buildMenuBar(handle);
        return;
    }
    for (const model::MenuItem& mi : mb->items) {
        if (mi.id != item && item != 0)
            continue;
        auto it = u->menuActions.find(mi.id);
        if (it == u->menuActions.end() || !it->second)
            continue;
        QAction* action = it->second;
        if (!mi.separator)
            action->setText(mnemonicText(mi.text));
        action->setEnabled(!mi.dimmed);
    }
}

} // namespace tk::qtui
