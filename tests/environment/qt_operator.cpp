// The program on the Qt backend with a scripted operator who works through
// the widgets: it starts as the program does (the Qt run-time sets the C
// library's locale from the environment), chooses the first carrier, shows PP,
// types R_Z and R_I into their fields, presses SET and INPUT, then runs a
// КСИЛ5 verification on PP5 typing each measured value (the set value, and
// half an ohm more at the last point). The protocols land in the working
// folder. Says on standard output "locale <LC_NUMERIC in force>", every
// pop-up it closes ("popup <title>: <text>") and at its end "done".
//
// Usage: qt_operator R_Z R_I (texts typed as they are)
#include "p_ksil2/app.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/verify_ksil5.h"
#include "si/select.h"
#include "toolkit/backend.h"
#include "toolkit/qt/qt.h"
#include "toolkit/qt/qt_backend.h"
#include "toolkit/toolkit.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <string>

namespace {

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

QWidget* field(int panel, int ctrl)
{
    return tk::qtui::current()->controlField(panel, ctrl);
}

// Types text into a numeric field as the operator does: all of it selected,
// the keys, Enter.
void type(int panel, int ctrl, const QString& text)
{
    auto* box = qobject_cast<QAbstractSpinBox*>(field(panel, ctrl));
    if (!box) {
        say("no numeric field " + std::to_string(ctrl));
        return;
    }
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

void click(int panel, int ctrl)
{
    if (auto* button = qobject_cast<QPushButton*>(field(panel, ctrl)))
        button->click();
    else
        say("no button " + std::to_string(ctrl));
}

void showPage(int index)
{
    if (auto* tabs = tk::qtui::current()->panelWindow(hMP)->findChild<QTabWidget*>())
        tabs->setCurrentIndex(index);
    tk::processEvents();
}

// The operator's standing answers: the first item of a selection dialog, OK
// on every message, and at each КСИЛ5 point the value and "Далее".
void answerWhatWaits()
{
    if (tk::core::queued() != 0)
        return;
    const int selection = si::selectionPanel();
    if (selection > 0 && tk::attr(selection, 0, tk::Attr::Visible) > 0) {
        tk::core::queue({tk::core::InputEvent::Type::DoubleClick, selection, si::selectionListCtrl(), 0, 0});
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        say("popup " + box->windowTitle().toStdString() + ": " + box->text().toStdString());
        box->accept();
        return;
    }
    if (pp5Running && pp5WaitStep) {
        const double set = tk::numValue(hPP5, PP5_SET_R);
        type(hPP5, PP5_MEAS_R, QString::number(set == 255.0 ? 255.5 : set, 'f', 1));
        click(hPP5, PP5_NEXT_STEP);
    }
}

QTimer* operatorTimer = nullptr;

bool startQt(int& argc, char** argv)
{
    if (!tk::qt::start(argc, argv))
        return false;
    operatorTimer = new QTimer;
    QObject::connect(operatorTimer, &QTimer::timeout, answerWhatWaits);
    operatorTimer->start(5);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const QString setText = QString::fromLocal8Bit(argv[1]);
    const QString measuredText = QString::fromLocal8Bit(argv[2]);
    int qtArgc = 1;
    if (const int failed = appStart(qtArgc, argv, StartOptions{.startToolkit = startQt}); failed != 0)
        return failed;
    say(std::string("locale ") + std::setlocale(LC_NUMERIC, nullptr));

    showPage(1);
    type(hPP, PP_R_Z, setText);
    tk::processEvents();
    click(hPP, PP_SET);
    tk::processEvents();
    type(hPP, PP_R_I, measuredText);
    tk::processEvents();
    click(hPP, PP_INPUT);
    tk::processEvents();

    showPage(2);
    click(hPP5, PP5_START);
    tk::processEvents(); // the whole run, answered by the operator's timer

    say("done");
    delete operatorTimer;
    appShutdown();
    return 0;
}
