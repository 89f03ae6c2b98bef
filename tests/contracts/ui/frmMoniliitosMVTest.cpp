#include "base/ScriptedPrompter.h"
#include "ui/FormRegistry.h"
#include "ui/WindowHooks.h"
#include "contracts/ui/ContractWindows.h"
#include "contracts/ui/frmMoniliitosMV.h"
#include "contracts/ui/frmVuokra.h"
#include "support/Controls.h"
#include "../ContractTestDb.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;
using test::Control;

namespace {

// The sample club: 20 contracts and 51 contract feature values.
class frmMoniliitosMVTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.db.execute(QStringLiteral("INSERT INTO pi (piNimi, piKuvaus, piType, piEnbldDate, piEnbldLong, piEnbldCurrency, "
                                    "piEnbldMemo, piDate, piLong, piCurrency, piMemo) VALUES ('Tarkastus', "
                                    "'Rajojen tarkastus', 2, 1, 1, 1, 1, '2024-03-01 00:00:00', 5, 12.5, 'Oletus')"));
        all = t.db.lastInsertId();
    }
    void TearDown() override
    {
        delete frmVuokra::Instance();
        WindowHooks::clear();
    }
    std::unique_ptr<frmMoniliitosMV> openWindow()
    {
        auto w = std::make_unique<frmMoniliitosMV>();
        w->show();
        return w;
    }
    static void choose(QListWidget* list, const QString& text)
    {
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        list->setCurrentItem(found[0]);
    }
    static void tick(QListWidget* list, const QString& text)
    {
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        found[0]->setCheckState(Qt::Checked);
    }
    // The contracts holding a value of the feature, as "vsID:count".
    QStringList holders(qint64 piID)
    {
        QStringList out;
        Recordset rs = t.db.openRecordset(
            QStringLiteral("SELECT mtvsID, COUNT(*) FROM mt WHERE mtpiID = ? GROUP BY mtvsID ORDER BY mtvsID"),
            RecordsetType::Snapshot, {piID});
        for (; !rs.eof(); rs.moveNext())
            out << QStringLiteral("%1:%2").arg(rs.field(0).toInt64()).arg(rs.field(1).toInt64());
        return out;
    }
    qint64 rows() { return t.count(QStringLiteral("SELECT COUNT(*) FROM mt")); }

    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
    qint64 all = 0;
};

} // namespace

TEST_F(frmMoniliitosMVTest, ListsEveryContractWithATickBoxAndKeepsThoseWithoutAName)
{
    t.db.execute(QStringLiteral("INSERT INTO vs (vsNimi, vsPostitoimipaikka) VALUES (NULL, 'Hirvilahti')"));
    t.db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (NULL, 2)"));
    const auto w = openWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Moniliitos"));
    auto* contracts = Control<QListWidget>(*w, "lstJR");
    ASSERT_EQ(contracts->count(), 21);
    EXPECT_EQ(contracts->item(0)->text(), QStringLiteral(" - Hirvilahti"));
    EXPECT_EQ(contracts->item(1)->text(), QStringLiteral("Heikkilä Tapio - JYVÄSKYLÄ"));
    EXPECT_EQ(contracts->item(20)->text(), QStringLiteral("Åbergin perikunta - Hirvilahti"));
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsNimi IS NULL")), 1);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM pi WHERE piNimi IS NULL")), 1);
    EXPECT_EQ(Control<QListWidget>(*w, "lstAllPt")->count(), 6);
    EXPECT_FALSE(Control<QWidget>(*w, "chkEstaToistot")->isVisible());

    const auto ticked = [&] {
        int n = 0;
        for (int i = 0; i < contracts->count(); ++i)
            n += contracts->item(i)->checkState() == Qt::Checked;
        return n;
    };
    EXPECT_EQ(ticked(), 0);
    Control<QPushButton>(*w, "cValitseKaikki")->click();
    EXPECT_EQ(ticked(), 21);
    Control<QPushButton>(*w, "cEiValintoja")->click();
    EXPECT_EQ(ticked(), 0);
}

TEST_F(frmMoniliitosMVTest, NoDatabaseConfiguredRefusesToOpen)
{
    for (const char* path : {"", "unknown"}) {
        State().DatabasePath = QString::fromUtf8(path);
        prompter.clear();
        const auto w = openWindow();
        EXPECT_FALSE(w->loaded());
        EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")});
    }
}

TEST_F(frmMoniliitosMVTest, ChoosingAFeatureOffersItsKindsWithItsDefaults)
{
    const auto w = openWindow();
    auto* features = Control<QListWidget>(*w, "lstAllPt");
    choose(features, QStringLiteral("Tarkastus"));
    EXPECT_EQ(Control<QLabel>(*w, "lKuvaus")->text(), QStringLiteral("Rajojen tarkastus"));
    EXPECT_EQ(Control<QLineEdit>(*w, "tDate")->text(), QStringLiteral("1.3.2024"));
    EXPECT_EQ(Control<QLineEdit>(*w, "tLong")->text(), QStringLiteral("5"));
    EXPECT_EQ(Control<QLineEdit>(*w, "tCurrency")->text(), QStringLiteral("12,5"));
    EXPECT_EQ(Control<QPlainTextEdit>(*w, "tMemo")->toPlainText(), QStringLiteral("Oletus"));

    // Hirvialue uses no kind of value: every box is off and empty.
    choose(features, QStringLiteral("Hirvialue"));
    for (const char* box : {"tDate", "tLong", "tCurrency", "tMemo"}) {
        EXPECT_FALSE(Control<QWidget>(*w, box)->isEnabled()) << box;
        EXPECT_FALSE(Control<QLabel>(*w, (QByteArray("lbl") + (box + 1)).constData())->isVisible()) << box;
    }
    EXPECT_TRUE(Control<QLineEdit>(*w, "tCurrency")->text().isEmpty());
}

TEST_F(frmMoniliitosMVTest, AddsOneRowToEachTickedContractOnlyWithTheExactAmount)
{
    const qint64 before = rows();
    const auto w = openWindow();
    choose(Control<QListWidget>(*w, "lstAllPt"), QStringLiteral("Tarkastus"));
    auto* contracts = Control<QListWidget>(*w, "lstJR");
    tick(contracts, QStringLiteral("Heinonen Liisa - Hirvilahti"));     // vsID 1
    tick(contracts, QStringLiteral("Laitinen Ari - Kuusijärvi"));       // vsID 4
    tick(contracts, QStringLiteral("Lehtosen perikunta - Kuusijärvi")); // vsID 20
    contracts->item(0)->setSelected(true);                              // a selected but unticked contract gets nothing
    Control<QLineEdit>(*w, "tCurrency")->setText(QStringLiteral("1 234,56"));
    Control<QLineEdit>(*w, "tDate")->setText(QStringLiteral("15.8.2025"));
    Control<QLineEdit>(*w, "tLong")->setText(QStringLiteral("-3"));
    Control<QPlainTextEdit>(*w, "tMemo")->setPlainText(QStringLiteral("Rajat käyty"));
    Control<QPushButton>(*w, "cLisaa")->click();

    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Ominaisuus lisätty!")});
    EXPECT_EQ(rows(), before + 3);
    EXPECT_EQ(holders(all), (QStringList{QStringLiteral("1:1"), QStringLiteral("4:1"), QStringLiteral("20:1")}));
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mt WHERE mtpiID = ? AND printf('%.4f', mtValCurrency) = "
                                     "'1234.5600' AND mtValDate = '2025-08-15 00:00:00' AND mtValLong = -3 AND "
                                     "mtValMemo = 'Rajat käyty'"),
                      {all}),
              3);

    // The same addition again: every ticked contract gets a second row.
    Control<QPushButton>(*w, "cLisaa")->click();
    EXPECT_EQ(holders(all), (QStringList{QStringLiteral("1:2"), QStringLiteral("4:2"), QStringLiteral("20:2")}));
    // Nothing ticked: nothing added, and the user is told so as before.
    Control<QPushButton>(*w, "cEiValintoja")->click();
    Control<QPushButton>(*w, "cLisaa")->click();
    EXPECT_EQ(rows(), before + 6);
}

TEST_F(frmMoniliitosMVTest, AnAmountWithTheDecimalCommaIsStoredWhole)
{
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {{"12,50", "12.5000"}, {"0,05", "0.0500"}, {"-7,25", "-7.2500"}, {"3", "3.0000"}};
    const auto w = openWindow();
    choose(Control<QListWidget>(*w, "lstAllPt"), QStringLiteral("Vuokrasumma"));
    tick(Control<QListWidget>(*w, "lstJR"), QStringLiteral("Niemi Aino - Hirvilahti"));
    for (const auto& c : cases) {
        Control<QLineEdit>(*w, "tCurrency")->setText(QString::fromUtf8(c.typed));
        Control<QPushButton>(*w, "cLisaa")->click();
        EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT printf('%.4f', mtValCurrency) FROM mt ORDER BY mtID DESC LIMIT 1"))
                      .toString(),
                  QString::fromUtf8(c.stored))
            << c.typed;
    }
}

TEST_F(frmMoniliitosMVTest, WhatCannotBeWrittenLeavesNothingWritten)
{
    const auto w = openWindow();
    choose(Control<QListWidget>(*w, "lstAllPt"), QStringLiteral("Tarkastus"));
    auto* contracts = Control<QListWidget>(*w, "lstJR");
    const qint64 chosen[] = {1, 4, 20};
    for (const char* name : {"Heinonen Liisa - Hirvilahti", "Laitinen Ari - Kuusijärvi", "Lehtosen perikunta - Kuusijärvi"})
        tick(contracts, QString::fromUtf8(name));
    const qint64 before = rows();

    // No feature chosen.
    Control<QListWidget>(*w, "lstAllPt")->clearSelection();
    Control<QPushButton>(*w, "cLisaa")->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Valitse ominaisuus ennen lisäystä!")});
    EXPECT_EQ(rows(), before);

    // A value that is no amount refuses the whole addition and stays for correcting.
    choose(Control<QListWidget>(*w, "lstAllPt"), QStringLiteral("Tarkastus"));
    prompter.clear();
    Control<QLineEdit>(*w, "tCurrency")->setText(QStringLiteral("12.50 €"));
    Control<QPushButton>(*w, "cLisaa")->click();
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("Arvo ei kelpaa")));
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(Control<QLineEdit>(*w, "tCurrency")->text(), QStringLiteral("12.50 €"));
    Control<QLineEdit>(*w, "tCurrency")->setText(QStringLiteral("12,50"));

    // The database refusing the row of any one contract: no contract gets a row.
    for (const qint64 failing : chosen) {
        SCOPED_TRACE(failing);
        t.db.execute(QStringLiteral("CREATE TRIGGER mt_refuse BEFORE INSERT ON mt WHEN NEW.mtvsID = %1 "
                                    "BEGIN SELECT RAISE(ABORT, 'levy täynnä'); END")
                         .arg(failing));
        prompter.clear();
        Control<QPushButton>(*w, "cLisaa")->click();
        EXPECT_EQ(rows(), before);
        EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("mitään ei lisätty")));
        EXPECT_FALSE(prompter.anyMessageContains(QStringLiteral("Ominaisuus lisätty!")));
        t.db.execute(QStringLiteral("DROP TRIGGER mt_refuse"));
    }
    Control<QPushButton>(*w, "cLisaa")->click();
    EXPECT_EQ(rows(), before + 3);
}

TEST_F(frmMoniliitosMVTest, TheContractWindowsMenuOpensItAndSeesWhatItAdded)
{
    RegisterContractWindows();
    frmVuokra* v = frmVuokra::Load();
    ASSERT_NE(v, nullptr);
    Control<QPushButton>(*v, "cAvaaOminaisuudet")->click();
    auto* shown = Control<QListWidget>(*v, "lstAllPt");
    EXPECT_EQ(shown->count(), 4);
    auto* entry = Control<QAction>(*v, "mMoniliitos");
    ASSERT_TRUE(entry->isEnabled());
    entry->trigger();
    auto* w = qobject_cast<frmMoniliitosMV*>(FormRegistry::find(QStringLiteral("frmMoniliitosMV")));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    choose(Control<QListWidget>(*w, "lstAllPt"), QStringLiteral("Tarkastus"));
    tick(Control<QListWidget>(*w, "lstJR"), QStringLiteral("Heinonen Liisa - Hirvilahti"));
    Control<QPushButton>(*w, "cLisaa")->click();
    ASSERT_EQ(shown->count(), 5);
    EXPECT_EQ(shown->item(4)->text(), QStringLiteral("Tarkastus"));
    w->close();
}

TEST_F(frmMoniliitosMVTest, ScreenshotWhenAsked)
{
    const QByteArray out = qgetenv("TIKKELI_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP();
    const auto w = openWindow();
    choose(Control<QListWidget>(*w, "lstAllPt"), QStringLiteral("Tarkastus"));
    tick(Control<QListWidget>(*w, "lstJR"), QStringLiteral("Heinonen Liisa - Hirvilahti"));
    tick(Control<QListWidget>(*w, "lstJR"), QStringLiteral("Laitinen Ari - Kuusijärvi"));
    QApplication::processEvents();
    w->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/frmMoniliitosMV.png"));
}
