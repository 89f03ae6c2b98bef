// A club that founds its own empty database and keeps its first contracts there by keyboard.
#include "base/ScriptedPrompter.h"
#include "contracts/ui/frmVuokra.h"
#include "db/Database.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/ReportPreview.h"
#include "settings/NewDatabase.h"
#include "settings/SettingsLoader.h"
#include "support/TempProgramEnvironment.h"

#include <QApplication>
#include <QDirIterator>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tikkeli;

TEST(ContractWindowOnAFoundedDatabase, FirstContractsByKeyboardNumberedFromOne)
{
    test::TempProgramEnvironment env;
    ScriptedPrompter prompter;
    prompter.answerText(QStringLiteral("Hirvet"));
    ASSERT_EQ(CreateNewDatabase(NewDatabaseIntro(), NewDatabaseTemplate()), NewDatabaseResult::Created);
    {
        Database db = Database::open(State().DatabasePath);
        LoadSettings(db);
    }
    QDirIterator files(QStringLiteral(TIKKELI_PROGRAM_DIR "/reports"), {QStringLiteral("*.rpt")});
    QDir().mkpath(env.programFolder() + QStringLiteral("/reports"));
    while (files.hasNext()) {
        files.next();
        QFile::copy(files.filePath(), env.programFolder() + QStringLiteral("/reports/") + files.fileName());
    }
    prompter.clear();
    frmVuokra* w = frmVuokra::Load();
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    for (const char* name : {"Aho Pekka", "Berg Anna"}) {
        QTest::keyClick(w, Qt::Key_F2);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(name));
        auto* fixed = w->findChild<QRadioButton*>(QStringLiteral("optVoimassa_2"));
        ASSERT_NE(fixed, nullptr);
        fixed->setFocus();
        QTest::keyClick(fixed, Qt::Key_Space);
        auto* start = w->findChild<QLineEdit*>(QStringLiteral("tAlkaa"));
        ASSERT_NE(start, nullptr);
        start->setFocus();
        QTest::keyClicks(start, QStringLiteral("1.5.2026"));
        QTest::keyClick(w, Qt::Key_F3);
    }
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join('|').toStdString();
    Database db = Database::open(State().DatabasePath);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT group_concat(vsSopimusNo || ':' || vsNimi || ':' || vsVoimassa, ';') "
                                       "FROM (SELECT * FROM vs ORDER BY vsID)"))
                  .toString(),
              QStringLiteral("1:Aho Pekka:2;2:Berg Anna:2"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM vs WHERE vsVoimassaAlkaen = '2026-05-01 00:00:00'")).toInt64(),
              2);

    // F7 prints the shown contract; Enter in the print dialog previews it.
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key_Return);
        }
    });
    timer->start();
    prompter.answerYes(); // the validity is printed
    QTest::keyClick(w, Qt::Key_F7);
    int previews = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        previews += qobject_cast<ReportPreview*>(top) && top->isVisible();
    EXPECT_EQ(previews, 1);
    for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<ReportPreview*>(top))
            delete top;
    delete w;
    MainReport() = ReportEngine{};
    Printing() = PrintChoices{};
}
