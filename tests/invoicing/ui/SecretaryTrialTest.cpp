#include "../InvoiceTestDb.h"
#include "WindowTestSupport.h"

#include "base/ScriptedPrompter.h"
#include "invoicing/ui/frmLaskujenRajaus.h"
#include "invoicing/ui/frmLaskumalli.h"
#include "invoicing/ui/frmMaksujenLuonti.h"
#include "invoicing/ui/frmMaksut.h"
#include "invoicing/ui/frmMaksutListana.h"
#include "invoicing/ui/frmViitemaksut.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QSet>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QAction>
#include <QLineEdit>

using namespace tikkeli;
using tikkeli::test::Control;

namespace {

// What Tab reaches from the window's first control, going round once and more.
QSet<QWidget*> reachedByTab(QWidget& window)
{
    QApplication::setActiveWindow(&window);
    window.activateWindow();
    QApplication::processEvents();
    if (!QApplication::focusWidget())
        window.nextInFocusChain()->setFocus(Qt::TabFocusReason);
    QSet<QWidget*> reached;
    const int limit = int(window.findChildren<QWidget*>().size()) * 2 + 4;
    for (int i = 0; i < limit; ++i) {
        QWidget* f = QApplication::focusWidget();
        if (!f)
            break;
        reached.insert(f);
        QTest::keyClick(f, Qt::Key_Tab);
    }
    return reached;
}

QStringList unreached(QWidget& window)
{
    const QSet<QWidget*> reached = reachedByTab(window);
    QStringList out;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(&window) || w->focusProxy())
            continue;
        if (auto* radio = qobject_cast<QRadioButton*>(w); radio && !radio->isChecked())
            continue;
        if (!reached.contains(w))
            out << w->objectName() + QStringLiteral("(") + QString::fromLatin1(w->metaObject()->className())
                       + QStringLiteral(")");
    }
    return out;
}

TEST(SecretaryTrial, TabReachesEveryControl)
{
    test::InvoiceTestDb club;
    ScriptedPrompter prompter;
    {
        auto w = test::openShown<frmMaksut>();
        EXPECT_EQ(unreached(*w), QStringList{}) << "frmMaksut";
    }
    {
        auto w = test::openShown<frmMaksujenLuonti>();
        EXPECT_EQ(unreached(*w), QStringList{}) << "frmMaksujenLuonti";
    }
    {
        auto w = test::openShown<frmMaksutListana>();
        EXPECT_EQ(unreached(*w), QStringList{}) << "frmMaksutListana";
    }
    {
        auto w = test::openShown<frmViitemaksut>();
        EXPECT_EQ(unreached(*w), QStringList{}) << "frmViitemaksut";
    }
    {
        frmLaskujenRajaus d;
        d.show();
        EXPECT_EQ(unreached(d), QStringList{}) << "frmLaskujenRajaus";
    }
    {
        frmLaskumalli d;
        d.show();
        EXPECT_EQ(unreached(d), QStringList{}) << "frmLaskumalli";
    }
}

// The range dialog by keyboard: typed numbers and Enter answer it, Esc cancels and keeps the
// previous answer.
TEST(SecretaryTrial, RangeDialogAnswersWithEnterAndCancelsWithEsc)
{
    frmLaskujenRajaus d;
    const auto press = [&d](const char* typed, Qt::Key key) {
        QTimer::singleShot(0, [&d, typed, key] {
            auto* from = d.findChild<QLineEdit*>(QStringLiteral("tLaskunroAlku"));
            ASSERT_TRUE(from);
            from->setFocus();
            QTest::keyClicks(from, QString::fromLatin1(typed));
            QTest::keyClick(from, key);
        });
        return d.ask();
    };
    EXPECT_TRUE(press("12x5", Qt::Key_Return));
    EXPECT_EQ(d.LaskunroAlku(), QStringLiteral("125"));
    EXPECT_FALSE(press("9", Qt::Key_Escape));
    EXPECT_EQ(d.LaskunroAlku(), QStringLiteral("125"));
}

// The sample club with one unpaid invoice, 3001 (reference 20019), as the fixture of the
// windows that work on the same history side by side.
class TwoWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        club.db.execute(QStringLiteral(
            "INSERT INTO jmhist (jmhjmID, jmhjmLaskunumero, jmhjmjrID, jmhjmViitenumero, jmhjmHinta, jmhjmMaksettu)"
            " VALUES (9001, 3001, 1, '20019', 45.5, 0)"));
        id = club.db.lastInsertId();
    }
    int gridRowOf(QTableWidget* grd) const
    {
        for (int r = 0; r < grd->rowCount(); ++r)
            if (grd->item(r, 0)->text() == QString::number(id))
                return r;
        return -1;
    }

    test::InvoiceTestDb club;
    ScriptedPrompter prompter;
    qint64 id = 0;
};

TEST_F(TwoWindowsTest, EnterInTheReferenceBoxFindsTheInvoice)
{
    auto book = test::openShown<frmMaksut>();
    QApplication::setActiveWindow(book.get());
    auto* box = Control<QLineEdit>(*book, "tViitenumero");
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("20019"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(test::labelText(*book, "lblLaskunumero"), QStringLiteral("3001"));
    EXPECT_EQ(book->CurrentHistoryId(), id);
    box->setText(QStringLiteral("99999"));
    QTest::keyClick(box, Qt::Key_Enter);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Laskua viitenumerolla: 99999 ei löydy.")});
}

TEST_F(TwoWindowsTest, TheGridDropsARowTheBookDeletedInsteadOfMarkingIt)
{
    auto grid = test::openShown<frmMaksutListana>();
    auto* grd = Control<QTableWidget>(*grid, "grd");
    const int listed = grd->rowCount();
    ASSERT_GE(gridRowOf(grd), 0);

    // The book marks the invoice paid and takes it out of the history.
    auto book = test::openShown<frmMaksut>();
    Control<QCheckBox>(*book, "chkPoistamaksettu")->setChecked(true);
    Control<QLineEdit>(*book, "tViitenumero")->setText(QStringLiteral("20019"));
    Control<QAbstractButton>(*book, "cMaksetuksi")->click();
    ASSERT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhID = ?"), {Value(id)}), 0);

    // Marked in the grid afterwards: the row goes, nothing is written.
    const int row = gridRowOf(grd);
    ASSERT_GE(row, 0);
    grd->setCurrentCell(row, 1);
    QTest::keyClick(grd, Qt::Key_Return);
    EXPECT_EQ(gridRowOf(grd), -1);
    EXPECT_EQ(grd->rowCount(), listed - 1);
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhID = ?"), {Value(id)}), 0);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());

    // A row still in the history is marked as before.
    grd->setCurrentCell(0, 1);
    QTest::keyClick(grd, Qt::Key_Return);
    EXPECT_EQ(grd->item(0, 2)->text(), QStringLiteral("Kyllä"));
}

TEST_F(TwoWindowsTest, ThePaymentBookFindsWhatTheGridMarked)
{
    auto book = test::openShown<frmMaksut>();
    auto* box = Control<QLineEdit>(*book, "tViitenumero");
    box->setText(QStringLiteral("20019"));
    Control<QAbstractButton>(*book, "cHaeTiedot")->click();
    EXPECT_EQ(test::labelText(*book, "lblMaksettu"), QStringLiteral("Ei"));

    auto grid = test::openShown<frmMaksutListana>();
    auto* grd = Control<QTableWidget>(*grid, "grd");
    const int row = gridRowOf(grd);
    ASSERT_GE(row, 0);
    grd->setCurrentCell(row, 1);
    QTest::keyClick(grd, Qt::Key_Return);

    Control<QAbstractButton>(*book, "cHaeTiedot")->click();
    EXPECT_EQ(test::labelText(*book, "lblMaksettu"), QStringLiteral("Kyllä"));
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}

} // namespace
