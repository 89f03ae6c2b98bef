#include "../InvoiceTestDb.h"
#include "WindowTestSupport.h"

#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "invoicing/ui/frmMaksujenLuonti.h"
#include "invoicing/ui/frmMaksut.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmJasen.h"
#include "ui/WindowHooks.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::Control;

// The member card stays open while the payment book marks the member's fee invoice paid and an
// invoice run makes new fee invoices: "Jäsenmaksu OK" shows each change at once, with no F5 and
// no move to another member.
TEST(MemberCardFollowsInvoicing, TheFeeMarkFollowsThePaymentBookAndAnInvoiceRun)
{
    FixedClock clock{QDateTime(QDate(2027, 1, 15), QTime(12, 0))};
    test::InvoiceTestDb club;
    ScriptedPrompter prompter;
    RegisterMemberWindows();
    // The member of invoice 2001 (reference 20019) owes the fee of an unpaid invoice.
    const qint64 member = club.field(QStringLiteral("SELECT jmhjmjrID FROM jmhist WHERE jmhjmLaskunumero = 2001")).toInt64();
    club.db.execute(
        QStringLiteral("UPDATE jmhist SET jmhjmMaksettu = False, jmhjmJasMak = True WHERE jmhjmLaskunumero = 2001"));
    club.db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = False WHERE jrID = ?"), {Value(member)});

    frmJasen* card = frmJasen::Load();
    ASSERT_NE(card, nullptr);
    ASSERT_TRUE(card->ShowMember(member));
    auto* feePaid = Control<QCheckBox>(*card, "chkJasenmaksu");
    EXPECT_FALSE(feePaid->isChecked());

    {
        auto book = test::openShown<frmMaksut>();
        Control<QLineEdit>(*book, "tViitenumero")->setText(QStringLiteral("20019"));
        Control<QAbstractButton>(*book, "cMaksetuksi")->click();
        ASSERT_TRUE(club.field(QStringLiteral("SELECT jrJasenmaksu FROM jr WHERE jrID = ?"), {Value(member)}).toBool());
    }
    EXPECT_TRUE(feePaid->isChecked()) << "after the payment book";

    {
        auto run = test::openShown<frmMaksujenLuonti>();
        Control<QLineEdit>(*run, "tLaskunErapaiva")->setText(QStringLiteral("15.2.2027"));
        Control<QCheckBox>(*run, "chkRivi0")->click();
        Control<QLineEdit>(*run, "tRiviTeksti0")->setText(QStringLiteral("Jäsenmaksu"));
        Control<QLineEdit>(*run, "tRiviSumma0")->setText(QStringLiteral("40"));
        Control<QCheckBox>(*run, "chkJasenmaksu")->click();
        Control<QPushButton>(*run, "cYksittain")->click();
        ASSERT_FALSE(club.field(QStringLiteral("SELECT jrJasenmaksu FROM jr WHERE jrID = ?"), {Value(member)}).toBool())
            << prompter.messageTexts().join(u'|').toStdString();
    }
    EXPECT_FALSE(feePaid->isChecked()) << "after the invoice run";
    EXPECT_EQ(card->currentMemberId(), member);
    EXPECT_EQ(prompter.unexpected(), 0);

    delete frmJasen::Instance();
    WindowHooks::clear();
}
