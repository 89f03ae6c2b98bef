#include "../FeatureTestDb.h"

#include "base/ScriptedPrompter.h"
#include "db/Recordset.h"
#include "members/FeatureEvents.h"
#include "members/ui/frmMoniliitos.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace tikkeli;

namespace {

class frmMoniliitosTest : public test::FeatureTestDb {
protected:
    std::unique_ptr<frmMoniliitos> openWindow()
    {
        auto w = std::make_unique<frmMoniliitos>();
        w->show();
        QApplication::processEvents();
        return w;
    }
    static void choose(QListWidget* list, const QString& text)
    {
        const auto items = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        list->setCurrentItem(items.first());
    }

    ScriptedPrompter prompter;
};

} // namespace

TEST_F(frmMoniliitosTest, ListsAndOfferedKindsFollowTheDefinition)
{
    member(Value());
    member("Aho");
    const qint64 piID = definition("Kokous");
    definition(Value());
    db.execute(QStringLiteral("UPDATE pi SET piKuvaus = 'Vuosikokous', piEnbldMemo = 1, piMemo = 'Läsnä', "
                              "piEnbldLong = 1, piLong = 3 WHERE piID = ?"), {piID});
    auto w = openWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Moniliitos"));
    EXPECT_EQ(w->lstJR->count(), 1);
    EXPECT_EQ(w->lstAllPt->count(), 1);
    EXPECT_FALSE(w->lblKuvaus->isVisible());
    EXPECT_FALSE(w->tMemo->isEnabled());

    choose(w->lstAllPt, QStringLiteral("Kokous"));
    EXPECT_TRUE(w->lKuvaus->isVisible());
    EXPECT_EQ(w->lKuvaus->text(), QStringLiteral("Vuosikokous"));
    EXPECT_TRUE(w->lblMemo->isVisible());
    EXPECT_EQ(w->tMemo->toPlainText(), QStringLiteral("Läsnä"));
    EXPECT_EQ(w->tLong->text(), QStringLiteral("3"));
    EXPECT_FALSE(w->lblDate->isVisible());
    EXPECT_FALSE(w->tDate->isEnabled());
    EXPECT_FALSE(w->tCurrency->isEnabled());
}

TEST_F(frmMoniliitosTest, AddWritesOneRowPerMarkedMember)
{
    const qint64 a = member("Aho");
    const qint64 b = member("Berg");
    member("Carlsson");
    const qint64 piID = definition("Kokous");
    db.execute(QStringLiteral("UPDATE pi SET piEnbldMemo = 1 WHERE piID = ?"), {piID});
    memberValue(a, piID);
    int events = 0;
    FeatureEvents::setMemberValuesChanged([&] { ++events; });
    auto w = openWindow();

    // No feature chosen.
    QTest::mouseClick(w->cLisaa, Qt::LeftButton);
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Valitse ominaisuus ennen lisäystä!"});

    choose(w->lstAllPt, QStringLiteral("Kokous"));
    w->tMemo->setPlainText(QStringLiteral("Paikalla"));
    w->lstJR->item(0)->setSelected(true);
    w->lstJR->item(1)->setSelected(true);
    w->chkEstaToistot->setChecked(true);
    prompter.clear();
    QTest::mouseClick(w->cLisaa, Qt::LeftButton);
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Ominaisuus lisätty!"});
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt WHERE ptjrID = ?", {a}), 1);
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pt WHERE ptjrID = ?"), RecordsetType::Snapshot, {b});
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.field("ptValMemo").toString(), QStringLiteral("Paikalla"));
    EXPECT_TRUE(rs.field("ptValLong").isNull());
    EXPECT_TRUE(rs.field("ptValDate").isNull());
    EXPECT_TRUE(rs.field("ptValCurrency").isNull());
    EXPECT_EQ(events, 1);

    // Marks stay; unchecked, duplicates are made.
    w->chkEstaToistot->setChecked(false);
    QTest::mouseClick(w->cLisaa, Qt::LeftButton);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 4);

    // Nothing marked: nothing written, the same message.
    QTest::mouseClick(w->cEiValintoja, Qt::LeftButton);
    prompter.clear();
    QTest::mouseClick(w->cLisaa, Qt::LeftButton);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 4);
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Ominaisuus lisätty!"});
    QTest::mouseClick(w->cValitseKaikki, Qt::LeftButton);
    EXPECT_EQ(w->lstJR->selectedItems().size(), 3);
    FeatureEvents::setMemberValuesChanged({});
}

TEST_F(frmMoniliitosTest, AmountIsReadWithTheDecimalCommaAndBadValuesAreEmptied)
{
    const qint64 a = member("Aho");
    const qint64 piID = definition("Maksu");
    db.execute(QStringLiteral("UPDATE pi SET piEnbldCurrency = 1, piEnbldDate = 1 WHERE piID = ?"), {piID});
    auto w = openWindow();
    choose(w->lstAllPt, QStringLiteral("Maksu"));
    w->tCurrency->setText(QStringLiteral("12,50"));
    w->tDate->setText(QStringLiteral("ei päivä"));
    w->lstJR->item(0)->setSelected(true);
    QTest::mouseClick(w->cLisaa, Qt::LeftButton);
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pt WHERE ptjrID = ?"), RecordsetType::Snapshot, {a});
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.field("ptValCurrency").toCurrency(), Currency::fromRaw(125000));
    EXPECT_TRUE(rs.field("ptValDate").isNull());
    EXPECT_TRUE(w->tDate->text().isEmpty());

    // Leaving an empty amount box beeps and keeps it empty.
    prompter.clear();
    w->tCurrency->setFocus();
    w->tCurrency->clear();
    w->tDate->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(w->tCurrency->text().isEmpty());
    ASSERT_FALSE(prompter.shown().empty());
    EXPECT_EQ(prompter.shown().front().kind, ScriptedPrompter::Kind::Beep);
}
