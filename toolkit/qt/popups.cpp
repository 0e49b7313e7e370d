// Message, yes/no and file pop-ups. They run a nested event loop; the
// operator's input to the panels behind them only reaches the core's queue.
#include "toolkit/qt/qt_backend.h"
#include "toolkit/qt/widgets.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace tk::qtui {

namespace {

QWidget* popupParent()
{
    if (QWidget* w = QApplication::activeWindow())
        return w;
    for (int h : model::panelHandles())
        if (const model::Panel* p = model::panel(h); p && p->mainPanel && p->visible)
            if (QWidget* w = current()->panelWindow(h))
                return w;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isWindow())
            return w;
    return nullptr;
}

// "*.log;*.txt" as the dialog expects it: "*.log *.txt".
QString nameFilter(std::string_view filter)
{
    QString f = toQString(filter).trimmed();
    if (f.isEmpty())
        return QStringLiteral("*");
    f.replace(u';', u' ');
    return f;
}

} // namespace

void QtBackend::messagePopup(std::string_view title, std::string_view text)
{
    showHeld(); // the panels behind the pop-up as the program left them
    QMessageBox box(popupParent());
    box.setWindowTitle(toQString(title));
    box.setText(toQString(text));
    box.setTextFormat(Qt::PlainText);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

int QtBackend::confirmPopup(std::string_view title, std::string_view text, int defaultAnswer)
{
    showHeld(); // the panels behind the pop-up as the program left them
    QMessageBox box(popupParent());
    box.setWindowTitle(toQString(title));
    box.setText(toQString(text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::Question);
    QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(defaultAnswer != 0 ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? 1 : 0;
}

int QtBackend::fileSelectPopup(std::string_view directory, std::string_view defaultName, std::string_view filter,
                               std::string_view title, bool save, std::string& path)
{
    showHeld(); // the panels behind the pop-up as the program left them
    QFileDialog dialog(popupParent(), toQString(title), toQString(directory), nameFilter(filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Protocols are appended to: choosing an existing file is not a threat to it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // A default name with a wildcard is a filter ("*.log"), not a file to select.
    const QString name = toQString(defaultName);
    if (name.contains(u'*') || name.contains(u'?'))
        dialog.setNameFilters({name});
    else if (!name.isEmpty())
        dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return FILE_NONE;
    const QString chosen = dialog.selectedFiles().front();
    path = chosen.toStdString();
    return QFileInfo::exists(chosen) ? FILE_EXISTING : FILE_NEW;
}

} // namespace tk::qtui
