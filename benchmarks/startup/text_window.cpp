// A Qt program that shows one window with one line of text and ends the
// moment that window is painted: the least any program that shows text
// costs to start (the font configuration read, a font loaded, one paint).
// The second yardstick of the start-up benchmark.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QWidget>

#include <unistd.h>

namespace {

class PaintedWatch : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
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
    QLabel text(QStringLiteral("Панель калибровки"), &window);
    text.move(20, 20);
    PaintedWatch watch;
    text.installEventFilter(&watch);
    window.show();
    return app.exec();
}
