// Message, yes/no and file pop-ups, answered by a timer that runs inside
// their dialog loop as the operator would.
#include "qt_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace qttest {
namespace {

// Runs `answer` on the modal dialog once it is up.
template <class Dialog>
void whenShown(std::function<void(Dialog*)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        answer(d);
    });
}

QPushButton* buttonWithText(QMessageBox* box, const QString& text)
{
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text)
            return qobject_cast<QPushButton*>(b);
    return nullptr;
}

TEST_F(QtPanels, ConfirmOffersDaAndNetAndReturnsTheAnswer)
{
    QString title, text;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        ASSERT_EQ(box->buttons().size(), 2);
        buttonWithText(box, QStringLiteral("Да"))->click();
    });
    EXPECT_EQ(tk::confirmPopup("КСИЛ2-4Л", "Закончить работу панели КСИЛ2-4Л ?"), 1);
    EXPECT_EQ(title, QStringLiteral("КСИЛ2-4Л"));
    EXPECT_EQ(text, QStringLiteral("Закончить работу панели КСИЛ2-4Л ?"));

    whenShown<QMessageBox>([](QMessageBox* box) { buttonWithText(box, QStringLiteral("Нет"))->click(); });
    EXPECT_EQ(tk::confirmPopup("КСИЛ2-4Л", "Закончить работу панели КСИЛ2-4Л ?"), 0);
    // Escape is "no".
    whenShown<QMessageBox>([](QMessageBox* box) { box->reject(); });
    EXPECT_EQ(tk::confirmPopup("КСИЛ2-4Л", "?"), 0);
}

// A question asked with "no" as its default: Enter answers no; yes takes a click.
TEST_F(QtPanels, ConfirmWithNoAsDefaultTakesEnterAsNo)
{
    QString defaultText;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(tk::confirmPopup("Калибровка КСИЛ2-4Л", "Записать таблицу во flash?", 0), 0);
    EXPECT_EQ(defaultText, QStringLiteral("Нет"));

    whenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(tk::confirmPopup("КСИЛ2-4Л", "Закончить работу панели КСИЛ2-4Л ?"), 1); // "yes" stays the default

    whenShown<QMessageBox>([](QMessageBox* box) { buttonWithText(box, QStringLiteral("Да"))->click(); });
    EXPECT_EQ(tk::confirmPopup("Калибровка КСИЛ2-4Л", "Записать таблицу во flash?", 0), 1);
}

// Qt's own texts (the file dialog's, the standard buttons') are Russian where
// the station names no language.
TEST_F(QtPanels, QtTextsSpeakRussian)
{
    if (QLocale::system().language() != QLocale::C && QLocale::system().language() != QLocale::Russian)
        GTEST_SKIP() << "the station names another language";
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Перейти к:"));
}

TEST_F(QtPanels, MessageShowsTitleAndTextWithOk)
{
    QString text;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        ASSERT_EQ(box->buttons().size(), 1);
        box->buttons().front()->click();
    });
    tk::messagePopup("ВНИМАНИЕ!", "Некорректная контрольная сумма\nфайла tvksil2_math.dll!");
    EXPECT_EQ(text, QStringLiteral("Некорректная контрольная сумма\nфайла tvksil2_math.dll!"));
}

TEST_F(QtPanels, FileSelectTellsExistingFromNewAndCancel)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString existing = dir.filePath(QStringLiteral("ksil2.log"));
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const std::string folder = dir.path().toStdString();

    std::string path;
    whenShown<QFileDialog>([&](QFileDialog* d) {
        d->selectFile(existing);
        static_cast<QDialog*>(d)->accept();
    });
    EXPECT_EQ(tk::fileSelectPopup(folder, "ksil2.log", "*.log", "Файл протокола", true, path), tk::FILE_EXISTING);
    EXPECT_EQ(QString::fromStdString(path), existing);

    const QString fresh = dir.filePath(QStringLiteral("протокол.log"));
    whenShown<QFileDialog>([&](QFileDialog* d) {
        d->selectFile(fresh);
        static_cast<QDialog*>(d)->accept();
    });
    EXPECT_EQ(tk::fileSelectPopup(folder, "ksil2.log", "*.log", "Файл протокола", true, path), tk::FILE_NEW);
    EXPECT_EQ(QString::fromStdString(path), fresh);

    path = "unchanged";
    whenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_EQ(tk::fileSelectPopup(folder, "", "*.log", "Файл протокола", false, path), tk::FILE_NONE);
    EXPECT_EQ(path, "unchanged");
}

} // namespace
} // namespace qttest
