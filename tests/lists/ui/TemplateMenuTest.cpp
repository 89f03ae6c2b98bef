#include "members/MemberTestDb.h"

#include "base/ScriptedPrompter.h"
#include "ui/WindowHooks.h"
#include "lists/DataPrinterSettings.h"
#include "lists/ui/DataPrinterWindows.h"
#include "members/ui/frmJasen.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

class TemplateMenuTest : public ::testing::Test {
protected:
    test::MemberTestDb club;
    ScriptedPrompter prompter;

    void SetUp() override
    {
        club.db.execute(QStringLiteral("DELETE FROM rp"));
        club.member(Value(QStringLiteral("Aho")));
        RegisterTemplateAndEmailWindows();
    }
    void TearDown() override
    {
        delete frmJasen::Instance();
        WindowHooks::clear();
    }
    qint64 store(const QString& name)
    {
        DataPrinterSettings s;
        s.setReportName(name);
        club.db.execute(QStringLiteral("INSERT INTO rp (rpDef) VALUES (?)"), {Value(s.ToText())});
        return club.db.lastInsertId();
    }
    // The visible template entries of the member window's menu: caption and id.
    static std::vector<std::pair<QString, qint64>> entries(frmJasen& w)
    {
        std::vector<std::pair<QString, qint64>> list;
        auto* menu = w.findChild<QMenu*>(QStringLiteral("mMuokattavatRaportit"));
        for (QAction* a : menu->actions()) {
            if (a->objectName().startsWith(QLatin1String("mMuokattavaRaporttiX_")) && a->isVisible())
                list.emplace_back(a->text(), a->data().toLongLong());
        }
        return list;
    }
};

TEST_F(TemplateMenuTest, EntriesCarryTheirTemplatesIdsInIdOrder)
{
    const qint64 phones = store(QStringLiteral("Puhelinluettelo"));
    const qint64 fees = store(QStringLiteral("Maksut & muut"));
    std::vector<qint64> printed;
    WindowHooks::set(WindowHook::ReportTemplatePrint, [&](QWidget*, const WindowHookRequest& r) -> qint64 {
        printed.push_back(r.id);
        return 0;
    });
    frmJasen* w = frmJasen::Load();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->findChild<QAction*>(QStringLiteral("mMuokkaaRaportteja"))->isEnabled());
    using Entries = std::vector<std::pair<QString, qint64>>;
    EXPECT_EQ(entries(*w), (Entries{{QStringLiteral("Puhelinluettelo"), phones}, {QStringLiteral("Maksut && muut"), fees}}));

    // A template deleted since the menu was built takes no other's place: each entry prints its own id.
    club.db.execute(QStringLiteral("DELETE FROM rp WHERE rpID = ?"), {Value(phones)});
    for (QAction* a : w->findChildren<QAction*>()) {
        if (a->objectName().startsWith(QLatin1String("mMuokattavaRaporttiX_")) && a->isVisible())
            a->trigger();
    }
    EXPECT_EQ(printed, (std::vector<qint64>{phones, fees}));

    // The editor's close rebuilds the menu.
    WindowHooks::set(WindowHook::ReportTemplateEditor, [](QWidget*, const WindowHookRequest&) -> qint64 { return 0; });
    w->findChild<QAction*>(QStringLiteral("mMuokkaaRaportteja"))->trigger();
    EXPECT_EQ(entries(*w), (Entries{{QStringLiteral("Maksut && muut"), fees}}));
}

} // namespace
