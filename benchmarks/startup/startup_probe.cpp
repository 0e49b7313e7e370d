// The panel program's start-up, ended the moment the carrier choice is shown:
// the same start as the program's main, with an application-wide watch for the
// selection dialog appearing. Exits with 0 there, with 1 when the start ended
// without offering the choice.
#include "p_ksil2/app.h"
#include "si/select.h"
#include "toolkit/qt/qt.h"
#include "toolkit/toolkit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

namespace {

class ChoiceWatch : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow() && si::selectionPanel() > 0 &&
            tk::attr(si::selectionPanel(), 0, tk::Attr::Visible) > 0)
            ::_exit(0);
        return false;
    }
};

// Runs as the application object is built, before anything is shown.
void watchForChoice()
{
    qApp->installEventFilter(new ChoiceWatch);
}
Q_COREAPP_STARTUP_FUNCTION(watchForChoice)

} // namespace

int main(int argc, char** argv)
{
    if (appStart(argc, argv, StartOptions{.startToolkit = tk::qt::start}) != 0)
        return 2;
    std::fprintf(stderr, "startup_probe: the start ended without offering the carrier choice\n");
    return 1;
}
