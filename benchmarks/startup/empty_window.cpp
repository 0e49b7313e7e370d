// An empty Qt program that shows one window and ends the moment it is shown:
// the yardstick of the start-up benchmark.
#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <unistd.h>

namespace {

class ShownWatch : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            ::_exit(0);
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(400, 300);
    ShownWatch watch;
    window.installEventFilter(&watch);
    window.show();
    return app.exec();
}
