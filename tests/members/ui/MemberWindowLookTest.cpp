#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "members/ui/frmJasen.h"
#include "support/TempProgramEnvironment.h"

#include <QApplication>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// Pictures of the member window on the shipped sample club, one per tab, for a person to look at:
// TIKKELI_SCREENSHOT_DIR=/some/folder test_members --gtest_filter='MemberWindowLook*'
TEST(MemberWindowLook, ScreenshotsWhenAsked)
{
    const QByteArray out = qgetenv("TIKKELI_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP();
    test::TempProgramEnvironment env;
    ScriptedPrompter prompter;
    State().DatabasePath = env.copyOfShipped(QStringLiteral("demo1.mdb"), QStringLiteral("seura.mdb"));
    frmJasen* w = frmJasen::Load();
    ASSERT_NE(w, nullptr);
    w->resize(1000, 640);
    auto* tabs = w->findChild<QTabWidget*>(QStringLiteral("TabStrip1"));
    ASSERT_NE(tabs, nullptr);
    if (auto* features = w->findChild<QListWidget*>(QStringLiteral("lstAllPt")); features && features->count() > 0)
        features->setCurrentRow(0);
    if (auto* invoices = w->findChild<QListWidget*>(QStringLiteral("lstMaksut")); invoices && invoices->count() > 0)
        invoices->setCurrentRow(0);
    const char* names[] = {"features", "invoices", "memo"};
    for (int i = 0; i < 3; ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        w->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/frmJasen-%1.png").arg(QLatin1String(names[i])));
    }
    delete w;
}

} // namespace
