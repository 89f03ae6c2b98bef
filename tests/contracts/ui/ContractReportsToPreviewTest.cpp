// Every "Raportit" command of the contract window on the sample, answered from the keyboard
// (Enter in each dialog) through to the preview window.
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "ui/FormRegistry.h"
#include "contracts/ContractCriteria.h"
#include "contracts/ContractReports.h"
#include "contracts/ui/frmVuokra.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/ReportPreview.h"
#include "../ContractTestDb.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

class ContractReportsToPreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.stageAllReports();
        ContractReportCriteria() = ContractCriteria{};
        MainReport() = ReportEngine{};
    }
    void TearDown() override
    {
        delete frmVuokra::Instance();
        delete FormRegistry::find(QStringLiteral("frmTulostusrajoitukset"));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<ReportPreview*>(w))
                delete w;
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
        ContractReportCriteria() = ContractCriteria{};
    }
    static int previews()
    {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += qobject_cast<ReportPreview*>(w) && w->isVisible();
        return n;
    }

    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
    FixedClock clock{QDateTime(QDate(2026, 3, 5), QTime(9, 0))};
};

} // namespace

TEST_F(ContractReportsToPreviewTest, EveryCommandReachesThePreviewWithEnterInEachDialog)
{
    frmVuokra* w = frmVuokra::Load();
    ASSERT_NE(w, nullptr);
    QStringList dialogs;
    QPointer<QWidget> last;
    QTimer enter;
    enter.setInterval(10);
    QObject::connect(&enter, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last || !modal->isVisible())
            return;
        last = modal;
        dialogs << modal->objectName();
        QWidget* target = modal->focusWidget() ? modal->focusWidget() : modal;
        QTest::keyClick(target, Qt::Key_Return);
    });
    enter.start();
    for (int i = 0; i < ContractReports::CommandCount; ++i) {
        const QString item = ContractReports::menuItem(ContractReports::Command(i));
        SCOPED_TRACE(item.toStdString());
        dialogs.clear();
        prompter.clear();
        const int before = previews();
        auto* action = w->findChild<QAction*>(item);
        ASSERT_NE(action, nullptr);
        action->trigger();
        EXPECT_FALSE(dialogs.isEmpty());
        EXPECT_EQ(dialogs.value(dialogs.size() - 1), QStringLiteral("frmTulostus"));
        EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join('|').toStdString();
        EXPECT_EQ(previews() - before, 1);
    }
}
