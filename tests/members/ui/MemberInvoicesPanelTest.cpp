#include "../CardTestDb.h"

#include "base/ScriptedPrompter.h"
#include "base/Currency.h"
#include "members/ui/MemberInvoicesPanel.h"
#include "support/Controls.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tikkeli {

TEST(MemberInvoicesPanelTest, ListDetailsAndMarkingPaid)
{
    test::CardTestDb t;
    ScriptedPrompter prompter;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    t.addInvoice(m, 1, QStringLiteral("13"), QDate(2025, 2, 1), Value(Currency::fromUnits(20)),
                 Value(QStringLiteral("Vuosimaksu")), Value(true));
    t.addInvoice(m, 2, QStringLiteral("24"), QDate(2024, 2, 1), Value(Currency::fromUnits(5)), Value());
    MemberInvoicesPanel panel([&] { return t.db(); });
    auto* cMaksetuksi = test::Control<QPushButton>(panel, "cMaksetuksi");
    auto* lblJasenmaksu = test::Control<QLabel>(panel, "lblJasenmaksu");
    auto* lblMaksettu = test::Control<QLabel>(panel, "lblMaksettu");
    auto* lblTeksti = test::Control<QLabel>(panel, "lblTeksti");
    auto* lblViitenumero = test::Control<QLabel>(panel, "lblViitenumero");
    auto* lstMaksut = test::Control<QListWidget>(panel, "lstMaksut");
    QSignalSpy feePaid(&panel, &MemberInvoicesPanel::memberFeePaid);

    panel.memberChanged(m);
    ASSERT_EQ(lstMaksut->count(), 2);
    EXPECT_EQ(lstMaksut->item(0)->text(), QStringLiteral("5 - "));
    EXPECT_EQ(lblViitenumero->text(), QString());

    // Before an invoice is chosen the empty reference is looked up.
    cMaksetuksi->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Laskua viitenumerolla:  ei löydy.")});
    EXPECT_EQ(feePaid.count(), 0);

    lstMaksut->setCurrentRow(1);
    EXPECT_EQ(lblTeksti->text(), QStringLiteral("Vuosimaksu"));
    EXPECT_EQ(lblJasenmaksu->text(), QStringLiteral("Kyllä"));
    EXPECT_EQ(lblMaksettu->text(), QStringLiteral("Ei"));
    cMaksetuksi->click();
    EXPECT_EQ(lblMaksettu->text(), QStringLiteral("Kyllä"));
    ASSERT_EQ(feePaid.count(), 1);
    EXPECT_EQ(feePaid.at(0).at(0).toInt(), m);
    EXPECT_TRUE(t.field(QStringLiteral("SELECT jrJasenmaksu FROM jr WHERE jrID = ?"), {m}).toBool());

    // Another member: the list and the details start empty.
    panel.memberChanged(t.addMember(QStringLiteral("Aho")));
    EXPECT_EQ(lstMaksut->count(), 0);
    EXPECT_EQ(lblMaksettu->text(), QString());
}

TEST(MemberInvoicesPanelTest, InvoicesSharingAPersonalReferenceAreMarkedAsChosen)
{
    test::CardTestDb t;
    ScriptedPrompter prompter;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 older = t.addInvoice(m, 1, QStringLiteral("12344"), QDate(2024, 2, 1), Value(),
                                      Value(QStringLiteral("2024")));
    const qint32 newer = t.addInvoice(m, 2, QStringLiteral("12344"), QDate(2025, 2, 1), Value(),
                                      Value(QStringLiteral("2025")));
    MemberInvoicesPanel panel([&] { return t.db(); });
    auto* cMaksetuksi = test::Control<QPushButton>(panel, "cMaksetuksi");
    auto* lblMaksettu = test::Control<QLabel>(panel, "lblMaksettu");
    auto* lblTeksti = test::Control<QLabel>(panel, "lblTeksti");
    auto* lstMaksut = test::Control<QListWidget>(panel, "lstMaksut");
    panel.memberChanged(m);
    ASSERT_EQ(lstMaksut->count(), 2);
    lstMaksut->setCurrentRow(1);
    ASSERT_EQ(lblTeksti->text(), QStringLiteral("2025"));
    cMaksetuksi->click();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(lblMaksettu->text(), QStringLiteral("Kyllä"));
    EXPECT_TRUE(t.field(QStringLiteral("SELECT jmhjmMaksettu FROM jmhist WHERE jmhID = ?"), {newer}).toBool());
    EXPECT_FALSE(t.field(QStringLiteral("SELECT jmhjmMaksettu FROM jmhist WHERE jmhID = ?"), {older}).toBool());

    // After the list is loaded again nothing is shown: the empty reference is looked up.
    panel.memberChanged(m);
    cMaksetuksi->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Laskua viitenumerolla:  ei löydy.")});
    EXPECT_FALSE(t.field(QStringLiteral("SELECT jmhjmMaksettu FROM jmhist WHERE jmhID = ?"), {older}).toBool());
}

TEST(MemberInvoicesPanelTest, AnInvoiceWithAnEmptyOrPaddedReferenceIsMarkedToo)
{
    test::CardTestDb t;
    ScriptedPrompter prompter;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 padded = t.addInvoice(m, 1, QStringLiteral("13 "), QDate(2024, 2, 1), Value(), Value(QStringLiteral("a")));
    const qint32 empty = t.addInvoice(m, 2, QString(), QDate(2025, 2, 1), Value(), Value(QStringLiteral("b")));
    t.db().execute(QStringLiteral("UPDATE jmhist SET jmhjmViitenumero = NULL WHERE jmhID = ?"), {empty});
    MemberInvoicesPanel panel([&] { return t.db(); });
    auto* cMaksetuksi = test::Control<QPushButton>(panel, "cMaksetuksi");
    auto* lblMaksettu = test::Control<QLabel>(panel, "lblMaksettu");
    auto* lstMaksut = test::Control<QListWidget>(panel, "lstMaksut");
    panel.memberChanged(m);
    ASSERT_EQ(lstMaksut->count(), 2);
    for (int row : {0, 1}) {
        lstMaksut->setCurrentRow(row);
        ASSERT_EQ(lblMaksettu->text(), QStringLiteral("Ei"));
        cMaksetuksi->click();
        EXPECT_EQ(lblMaksettu->text(), QStringLiteral("Kyllä")) << row;
    }
    EXPECT_TRUE(prompter.shown().empty());
    for (qint32 id : {padded, empty})
        EXPECT_TRUE(t.field(QStringLiteral("SELECT jmhjmMaksettu FROM jmhist WHERE jmhID = ?"), {id}).toBool());
}

TEST(MemberInvoicesPanelTest, DatabaseFailureIsReportedNotFatal)
{
    test::CardTestDb t;
    ScriptedPrompter prompter;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    t.addInvoice(m, 1, QStringLiteral("13"), QDate(2025, 2, 1), Value(), Value());
    MemberInvoicesPanel panel([&] { return t.db(); });
    auto* cMaksetuksi = test::Control<QPushButton>(panel, "cMaksetuksi");
    auto* lblMaksettu = test::Control<QLabel>(panel, "lblMaksettu");
    auto* lstMaksut = test::Control<QListWidget>(panel, "lstMaksut");
    panel.memberChanged(m);
    lstMaksut->setCurrentRow(0);
    t.db().execute(QStringLiteral("CREATE TRIGGER estä BEFORE UPDATE ON jmhist BEGIN SELECT RAISE(ABORT, 'lukittu'); END"));
    cMaksetuksi->click();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(QStringLiteral("Virhe: ")));
    EXPECT_EQ(prompter.shown()[0].icon, MsgIcon::Warning);
    EXPECT_EQ(lblMaksettu->text(), QStringLiteral("Ei"));
}

} // namespace tikkeli
