#include "../FeatureTestDb.h"

#include "base/NullConversions.h"
#include "base/ScriptedPrompter.h"
#include "db/Recordset.h"
#include "db/ClubChanges.h"
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

// The window's controls, found by their object names.
struct Controls {
    QListWidget* lstJR = nullptr;
    QListWidget* lstAllPt = nullptr;
    QPushButton* cValitseKaikki = nullptr;
    QPushButton* cEiValintoja = nullptr;
    QLabel* lblKuvaus = nullptr;
    QLabel* lKuvaus = nullptr;
    QLabel* lblDate = nullptr;
    QLabel* lblLong = nullptr;
    QLabel* lblCurrency = nullptr;
    QLabel* lblMemo = nullptr;
    QLineEdit* tDate = nullptr;
    QLineEdit* tLong = nullptr;
    QLineEdit* tCurrency = nullptr;
    QPlainTextEdit* tMemo = nullptr;
    QCheckBox* chkEstaToistot = nullptr;
    QPushButton* cLisaa = nullptr;
    QPushButton* cSulje = nullptr;
    bool complete() const
    {
        return lstJR && lstAllPt && cValitseKaikki && cEiValintoja && lblKuvaus && lKuvaus && lblDate && lblLong
               && lblCurrency && lblMemo && tDate && tLong && tCurrency && tMemo && chkEstaToistot && cLisaa && cSulje;
    }
};

Controls controls(QWidget& w)
{
    Controls c;
    c.lstJR = w.findChild<QListWidget*>(QStringLiteral("lstJR"));
    c.lstAllPt = w.findChild<QListWidget*>(QStringLiteral("lstAllPt"));
    c.cValitseKaikki = w.findChild<QPushButton*>(QStringLiteral("cValitseKaikki"));
    c.cEiValintoja = w.findChild<QPushButton*>(QStringLiteral("cEiValintoja"));
    c.lblKuvaus = w.findChild<QLabel*>(QStringLiteral("lblKuvaus"));
    c.lKuvaus = w.findChild<QLabel*>(QStringLiteral("lKuvaus"));
    c.lblDate = w.findChild<QLabel*>(QStringLiteral("lblDate"));
    c.lblLong = w.findChild<QLabel*>(QStringLiteral("lblLong"));
    c.lblCurrency = w.findChild<QLabel*>(QStringLiteral("lblCurrency"));
    c.lblMemo = w.findChild<QLabel*>(QStringLiteral("lblMemo"));
    c.tDate = w.findChild<QLineEdit*>(QStringLiteral("tDate"));
    c.tLong = w.findChild<QLineEdit*>(QStringLiteral("tLong"));
    c.tCurrency = w.findChild<QLineEdit*>(QStringLiteral("tCurrency"));
    c.tMemo = w.findChild<QPlainTextEdit*>(QStringLiteral("tMemo"));
    c.chkEstaToistot = w.findChild<QCheckBox*>(QStringLiteral("chkEstaToistot"));
    c.cLisaa = w.findChild<QPushButton*>(QStringLiteral("cLisaa"));
    c.cSulje = w.findChild<QPushButton*>(QStringLiteral("cSulje"));
    return c;
}

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
                              "piEnbldLong = 1, piLong = 3 WHERE piID = ?"),
               {piID});
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Moniliitos"));
    EXPECT_EQ(c.lstJR->count(), 1);
    EXPECT_EQ(c.lstAllPt->count(), 1);
    EXPECT_FALSE(c.lblKuvaus->isVisible());
    EXPECT_FALSE(c.tMemo->isEnabled());

    choose(c.lstAllPt, QStringLiteral("Kokous"));
    EXPECT_TRUE(c.lKuvaus->isVisible());
    EXPECT_EQ(c.lKuvaus->text(), QStringLiteral("Vuosikokous"));
    EXPECT_TRUE(c.lblMemo->isVisible());
    EXPECT_EQ(c.tMemo->toPlainText(), QStringLiteral("Läsnä"));
    EXPECT_EQ(c.tLong->text(), QStringLiteral("3"));
    EXPECT_FALSE(c.lblDate->isVisible());
    EXPECT_FALSE(c.tDate->isEnabled());
    EXPECT_FALSE(c.tCurrency->isEnabled());
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
    QObject listener;
    QObject::connect(&ClubChanges::instance(), &ClubChanges::featureValuesChanged, &listener, [&] { ++events; });
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());

    // No feature chosen.
    QTest::mouseClick(c.cLisaa, Qt::LeftButton);
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Valitse ominaisuus ennen lisäystä!"});

    choose(c.lstAllPt, QStringLiteral("Kokous"));
    c.tMemo->setPlainText(QStringLiteral("Paikalla"));
    c.lstJR->item(0)->setSelected(true);
    c.lstJR->item(1)->setSelected(true);
    c.chkEstaToistot->setChecked(true);
    prompter.clear();
    QTest::mouseClick(c.cLisaa, Qt::LeftButton);
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
    c.chkEstaToistot->setChecked(false);
    QTest::mouseClick(c.cLisaa, Qt::LeftButton);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 4);

    // Nothing marked: nothing written, the same message.
    QTest::mouseClick(c.cEiValintoja, Qt::LeftButton);
    prompter.clear();
    QTest::mouseClick(c.cLisaa, Qt::LeftButton);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 4);
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Ominaisuus lisätty!"});
    QTest::mouseClick(c.cValitseKaikki, Qt::LeftButton);
    EXPECT_EQ(c.lstJR->selectedItems().size(), 3);
}

TEST_F(frmMoniliitosTest, AmountIsReadWithTheDecimalCommaAndARefusedValueWritesNothing)
{
    const qint64 a = member("Aho");
    const qint64 piID = definition("Maksu");
    db.execute(QStringLiteral("UPDATE pi SET piEnbldCurrency = 1, piEnbldDate = 1, piEnbldLong = 1 WHERE piID = ?"), {piID});
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    choose(c.lstAllPt, QStringLiteral("Maksu"));
    c.lstJR->item(0)->setSelected(true);

    // Each refused box names its field; nothing is written and the typed text stays for correcting.
    const struct {
        QLineEdit* box;
        const char* text;
        const char* message;
    } refused[] = {
        {c.tDate, "ei päivä", "Päivämäärä ei kelpaa: \"ei päivä\""},
        {c.tLong, "4,5", "Luku ei kelpaa: \"4,5\""},
        {c.tLong, "99999999999", "Luku ei kelpaa"},
        {c.tCurrency, "12.50", "Arvo ei kelpaa: \"12.50\""},
    };
    for (const auto& r : refused) {
        for (QLineEdit* box : {c.tDate, c.tLong, c.tCurrency})
            box->clear();
        r.box->setText(QString::fromUtf8(r.text));
        prompter.clear();
        QTest::mouseClick(c.cLisaa, Qt::LeftButton);
        EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 0) << r.text;
        ASSERT_EQ(prompter.messageTexts().size(), 1) << r.text;
        EXPECT_TRUE(prompter.messageTexts().front().startsWith(QString::fromUtf8(r.message)))
            << prompter.messageTexts().front().toStdString();
        EXPECT_EQ(r.box->text(), QString::fromUtf8(r.text));
    }

    c.tDate->setText(QStringLiteral("5.3.2024"));
    c.tLong->setText(QStringLiteral("4"));
    c.tCurrency->setText(QStringLiteral("12,50"));
    prompter.clear();
    QTest::mouseClick(c.cLisaa, Qt::LeftButton);
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Ominaisuus lisätty!"});
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pt WHERE ptjrID = ?"), RecordsetType::Snapshot, {a});
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.field("ptValCurrency").toCurrency(), Currency::fromRaw(125000));
    EXPECT_EQ(rs.field("ptValLong").toInt64(), 4);
    EXPECT_EQ(NullToString(rs.field("ptValDate")), QStringLiteral("5.3.2024"));
}

TEST_F(frmMoniliitosTest, LeavingABoxTellsTheFieldsMessageOnce)
{
    const qint64 piID = definition("Maksu");
    db.execute(QStringLiteral("UPDATE pi SET piEnbldLong = 1, piEnbldDate = 1 WHERE piID = ?"), {piID});
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    w->activateWindow();
    choose(c.lstAllPt, QStringLiteral("Maksu"));
    EXPECT_EQ(c.tLong->maxLength(), 14);
    EXPECT_EQ(c.tDate->maxLength(), 19);

    c.tLong->setFocus();
    c.tLong->setText(QStringLiteral("4,5"));
    prompter.clear();
    QTest::keyClick(c.tLong, Qt::Key_Tab);
    QApplication::processEvents();
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts().front().startsWith(QStringLiteral("Luku ei kelpaa")));
    EXPECT_EQ(c.tLong->text(), QStringLiteral("4,5"));

    // A valid date is shown in its short form; an empty box is no refusal.
    c.tDate->setFocus();
    c.tDate->setText(QStringLiteral("5.3.24"));
    prompter.clear();
    c.tLong->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(c.tDate->text(), QStringLiteral("5.3.2024"));
    c.tLong->clear();
    c.tDate->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}
