#include "lists/ListsTestDb.h"
#include "support/Controls.h"
#include "support/WhenModalShown.h"

#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "lists/DataPrinterSettings.h"
#include "lists/MemberSelection.h"
#include "lists/TemplateCriteria.h"
#include "lists/ui/DataPrinterWindows.h"
#include "members/ui/frmHakuehdotJ.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/frmTulJarjValinta.h"
#include "printing/ui/frmTulostus.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tikkeli::test {
namespace {

struct Output {
    int destination = -1;
    int copies = 0;
    std::shared_ptr<const ReportDocument> doc;
};

class TemplatePrintWindowTest : public ::testing::Test {
protected:
    ListsTestDb club;
    ScriptedPrompter prompter;
    std::vector<Output> printed;
    qint64 phones = 0;

    void SetUp() override
    {
        Criteria() = MemberCriteria{};
        State().ClubName = QStringLiteral("Erämiehet ry");
        MainReport().setOutputHandler([this](std::shared_ptr<const ReportDocument> doc, const ReportEngine& e) {
            printed.push_back({e.Destination, e.CopiesToPrinter, std::move(doc)});
        });
        DataPrinterSettings s;
        s.setReportName(QStringLiteral("Puhelinluettelo"));
        s.AddColumn(QStringLiteral("Sukunimi"), QStringLiteral("jrSukunimi"), 40);
        s.AddColumn(QStringLiteral("Ominaisuus"), QStringLiteral("piNimi"), 0);
        club.db.execute(QStringLiteral("INSERT INTO rp (rpDef) VALUES (?)"), {Value(s.ToText())});
        phones = club.db.lastInsertId();
        club.db.execute(QStringLiteral("UPDATE jr SET jrMukaan = (jrSukunimi = 'Fager')"));
    }
    void TearDown() override
    {
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
        Criteria() = MemberCriteria{};
    }
    static void chain(bool criteria, bool order, bool print, int destination = 1,
                      const QString& copies = QStringLiteral("2"))
    {
        WhenModalShown<frmHakuehdotJ>([criteria](frmHakuehdotJ& d) {
            if (criteria)
                Control<QPushButton>(d, "cSeuraava")->click();
            else
                d.close();
        });
        if (!criteria)
            return;
        WhenModalShown<frmTulJarjValinta>([order](frmTulJarjValinta& d) {
            if (order)
                Control<QPushButton>(d, "cSeuraava")->click();
            else
                d.close();
        });
        if (!order)
            return;
        WhenModalShown<frmTulostus>([print, destination, copies](frmTulostus& d) {
            if (!print) {
                d.close();
                return;
            }
            Control<QComboBox>(d, "cmbTulostusLaite")->setCurrentIndex(destination);
            Control<QLineEdit>(d, "tKopioita")->setText(copies);
            Control<QPushButton>(d, "cTulosta")->click();
        });
    }
    int marked() { return int(club.db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrMukaan = True")).toInt64()); }
};

TEST_F(TemplatePrintWindowTest, AnEarlierCancelDoesNotStopThePrintAndTheDialogsChoiceApplies)
{
    Printing().PrintCancelled = true; // as a cancelled print leaves it
    chain(true, true, true, 1, QStringLiteral("2"));
    PrintReportTemplate(nullptr, phones);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].destination, 1);
    EXPECT_EQ(printed[0].copies, 2);
    const ReportDocument& doc = *printed[0].doc;
    EXPECT_EQ(doc.title, QStringLiteral("Puhelinluettelo"));
    EXPECT_EQ(doc.pageLines(0).first(), QStringLiteral("Erämiehet ry"));
    // Every member once per feature value (Eerola, without any, once): the dialog's defaults select all.
    EXPECT_EQ(doc.rowCount, 12);
    EXPECT_EQ(marked(), 6);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}

TEST_F(TemplatePrintWindowTest, EachDialogClosedEndsThePrintWithNothingMarked)
{
    for (int step = 0; step < 3; ++step) {
        chain(step != 0, step != 1, false);
        PrintReportTemplate(nullptr, phones);
        EXPECT_TRUE(printed.empty()) << step;
        EXPECT_EQ(marked(), 1) << step;
    }
}

TEST_F(TemplatePrintWindowTest, ATemplateDeletedSinceTheMenuWasBuiltSaysSo)
{
    club.db.execute(QStringLiteral("DELETE FROM rp"));
    PrintReportTemplate(nullptr, phones);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Raporttipohjaa ei löydy.")});
    EXPECT_TRUE(printed.empty());
}

TEST_F(TemplatePrintWindowTest, TheSameCriteriaGiveTheSameMembersAsTheMemberLists)
{
    DataPrinterSettings names;
    names.AddColumn({}, QStringLiteral("jrSukunimi"), 0);
    DataPrinterSettings values;
    values.AddColumn({}, QStringLiteral("jrSukunimi"), 0);
    values.AddColumn({}, QStringLiteral("ptValLong"), 0);
    std::vector<std::function<void(MemberCriteria&)>> cases = {
        [](MemberCriteria&) {},
        [&](MemberCriteria& c) { c.setHepiID(0, qint32(club.A)); },
        [&](MemberCriteria& c) {
            c.setHepiID(0, qint32(club.A));
            c.LukuArvo = ReadWholeNumberCriterion(QStringLiteral("5")).value;
            c.LukuVertailu = 2;
        },
        [&](MemberCriteria& c) {
            c.setHepiID(0, qint32(club.B));
            c.setHepiID(1, qint32(club.C));
            c.OminaisuudetJa = true;
            c.PostinumeroAlku = QStringLiteral("00100");
            c.PostinumeroLoppu = QStringLiteral("00991");
        },
        [&](MemberCriteria& c) {
            c.setHepiID(0, qint32(club.C));
            c.OminaisuusRajaus = true;
            c.OmistajaValinta = 0;
        },
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        MemberCriteria c;
        c.JasenmaksuValinta = 2;
        c.OmistajaValinta = 2;
        cases[k](c);
        MemberSelection::Mark(club.db, c);
        std::set<qint64> listed;
        Recordset list = club.db.openRecordset(MemberSelection::selectedMembersSql(0, QStringLiteral("jrID")),
                                               RecordsetType::Snapshot);
        for (; !list.eof(); list.moveNext())
            listed.insert(list.field(0).toInt64());
        for (const DataPrinterSettings* s : {&names, &values}) {
            const TemplateQuery q = TemplateCriteriaSql(*s, c, 0);
            Recordset rs = club.db.openRecordset(q.sql, RecordsetType::Snapshot, q.params);
            std::set<qint64> printedIds;
            int rows = 0;
            for (; !rs.eof(); rs.moveNext(), ++rows)
                printedIds.insert(rs.field(0).toInt64());
            EXPECT_EQ(printedIds, listed) << "case " << k;
            if (s == &names) {
                EXPECT_EQ(rows, int(listed.size())) << "case " << k;
            }
        }
    }
}

} // namespace
} // namespace tikkeli::test
