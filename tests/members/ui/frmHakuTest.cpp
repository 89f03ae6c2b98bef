#include "../MemberSearchTestDb.h"

#include "base/ScriptedPrompter.h"
#include "members/ui/frmHaku.h"

#include <QListWidget>
#include <QLabel>
#include <QGroupBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QFile>
#include <QTest>
#include <functional>
#include <sqlite3.h>

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

// A control of a window, found by its objectName as the window's .ui file names it.
template <class T>
T* control(const QObject* window, const char* name)
{
    T* found = window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
    if (!found)
        ADD_FAILURE() << "no control " << name;
    return found;
}

class frmHakuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        virta = t.addMember("12", "Virta", "Anna", "Oulu", "Rantatie 1", "08-123", "040-1", "anna@x.fi");
        maki = t.addMember("7", "Mäki", "Pekka", "Kemi", "Kuja 2", {}, "050-2", "pekka@x.fi");
        obrien = t.addMember("O'1", "O'Brien", "Sean", "Tornio", "Pub's Lane 3");
        const qint32 memo = t.addFeature(QStringLiteral("Muistio"));
        t.addMemo(virta, memo, "Hirvikoira mukana");
        t.addMemo(virta, memo, "Toinen hirvikoira");
        t.addMemo(maki, memo, "Ampuja");
        form = std::make_unique<frmHaku>(t.db());
    }
    // Chooses a list entry as a user would: by its text.
    static void choose(QComboBox* combo, const QString& text) { combo->setCurrentIndex(combo->findText(text)); }
    static void type(QComboBox* combo, const QString& text)
    {
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), text);
    }

    test::MemberSearchTestDb t;
    ScriptedPrompter prompter;
    qint32 virta = 0, maki = 0, obrien = 0;
    std::unique_ptr<frmHaku> form;
};

TEST_F(frmHakuTest, LoadsListsAndStartsWithNothingChosen)
{
    EXPECT_EQ(form->HakuJasenID, 0);
    EXPECT_EQ(control<QComboBox>(form.get(), "cmbJasenNro")->count(), 3);
    EXPECT_EQ(control<QComboBox>(form.get(), "cmbPuhelin")->count(), 1);
    EXPECT_EQ(control<QComboBox>(form.get(), "cmbMuistioAlut")->count(), 3);
    EXPECT_EQ(control<QComboBox>(form.get(), "cmbMuistioAlut")->itemText(0), "Ampuja");
    EXPECT_TRUE(control<QComboBox>(form.get(), "cmbEmail")->currentText().isEmpty());
    EXPECT_EQ(form->windowTitle(), "Perushaku");
}

TEST_F(frmHakuTest, StartsInTheNumberBoxAndEnterSearchesTheBoxesFrame)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus == control<QComboBox>(form.get(), "cmbJasenNro")
                || focus == control<QComboBox>(form.get(), "cmbJasenNro")->lineEdit())
        << focus->objectName().toStdString();
    QTest::keyClicks(focus, "7");
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_EQ(form->HakuJasenID, maki);
    EXPECT_EQ(form->result(), QDialog::Accepted);

    // Enter in a contact box and in the memo box runs their own searches.
    frmHaku again(t.db());
    again.show();
    again.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&again));
    control<QComboBox>(&again, "cmbEmail")->setFocus();
    QTest::keyClicks(control<QComboBox>(&again, "cmbEmail")->lineEdit(), "anna@x.fi");
    QTest::keyClick(control<QComboBox>(&again, "cmbEmail")->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(again.HakuJasenID, virta);
    frmHaku memo(t.db());
    memo.show();
    control<QLineEdit>(&memo, "tMuistioHakuSana")->setFocus();
    QTest::keyClicks(control<QLineEdit>(&memo, "tMuistioHakuSana"), "ampu");
    QTest::keyClick(control<QLineEdit>(&memo, "tMuistioHakuSana"), Qt::Key_Return);
    EXPECT_EQ(memo.HakuJasenID, maki);
    EXPECT_EQ(memo.result(), QDialog::Accepted);
}

TEST_F(frmHakuTest, MemberNumberChosenOrTyped)
{
    form->show();
    choose(control<QComboBox>(form.get(), "cmbJasenNro"), "7");
    control<QPushButton>(form.get(), "cHae")->click();
    EXPECT_EQ(form->HakuJasenID, maki);
    EXPECT_FALSE(form->isVisible());

    form->show();
    type(control<QComboBox>(form.get(), "cmbJasenNro"), "O'1");
    control<QPushButton>(form.get(), "cHae")->click();
    EXPECT_EQ(form->HakuJasenID, obrien);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmHakuTest, UnknownNumberKeepsDialogOpenAndResult)
{
    form->show();
    choose(control<QComboBox>(form.get(), "cmbJasenNro"), "12");
    control<QPushButton>(form.get(), "cHae")->click();
    ASSERT_EQ(form->HakuJasenID, virta);
    form->show();
    type(control<QComboBox>(form.get(), "cmbJasenNro"), "' OR '1'='1");
    control<QPushButton>(form.get(), "cHae")->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Jäsennumerolla ei löydy jäsentä."});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->HakuJasenID, virta);
}

TEST_F(frmHakuTest, OneContactCriterionAtATimeLastOneDecides)
{
    form->show();
    choose(control<QComboBox>(form.get(), "cmbOsoite"), "Rantatie 1");
    type(control<QComboBox>(form.get(), "cmbEmail"), "PEKKA@x.fi");
    EXPECT_TRUE(control<QComboBox>(form.get(), "cmbOsoite")->currentText().isEmpty());
    EXPECT_TRUE(control<QComboBox>(form.get(), "cmbPuhelin")->currentText().isEmpty());
    control<QPushButton>(form.get(), "cYhteysHaku")->click();
    EXPECT_EQ(form->HakuJasenID, maki);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(frmHakuTest, EditedEntryIsSearchedAsTyped)
{
    form->show();
    choose(control<QComboBox>(form.get(), "cmbOsoite"), "Kuja 2");
    QTest::keyClicks(control<QComboBox>(form.get(), "cmbOsoite")->lineEdit(), "x"); // "Kuja 2x"
    control<QPushButton>(form.get(), "cYhteysHaku")->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Ei löydy jäsentä."});
    EXPECT_TRUE(form->isVisible());
    type(control<QComboBox>(form.get(), "cmbOsoite"), "Pub's Lane 3");
    control<QPushButton>(form.get(), "cYhteysHaku")->click();
    EXPECT_EQ(form->HakuJasenID, obrien);
}

TEST_F(frmHakuTest, AllContactsEmptyJustHides)
{
    form->show();
    control<QPushButton>(form.get(), "cYhteysHaku")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->HakuJasenID, 0);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmHakuTest, MemoFullTextSearchReportsSeveralHits)
{
    form->show();
    control<QLineEdit>(form.get(), "tMuistioHakuSana")->setText("hirvikoira");
    control<QPushButton>(form.get(), "cMuistioHaku")->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Löytyi useita mahdollisia (2). Siirrytään ensimmäiseen löydettyyn."});
    EXPECT_EQ(form->HakuJasenID, virta);
    EXPECT_FALSE(form->isVisible());

    prompter.clear();
    form->show();
    control<QLineEdit>(form.get(), "tMuistioHakuSana")->setText("'); DELETE FROM pt; --");
    control<QPushButton>(form.get(), "cMuistioHaku")->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Muistiosta ei löydy annettua tietoa."});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(t.db().scalar("SELECT COUNT(*) FROM pt").toInt64(), 3);
}

TEST_F(frmHakuTest, MemoBeginningChosenOrTyped)
{
    form->show();
    choose(control<QComboBox>(form.get(), "cmbMuistioAlut"), "Ampuja");
    control<QPushButton>(form.get(), "cMuistioHaku")->click();
    EXPECT_EQ(form->HakuJasenID, maki);

    form->show();
    type(control<QComboBox>(form.get(), "cmbMuistioAlut"), "toinen");
    control<QPushButton>(form.get(), "cMuistioHaku")->click();
    EXPECT_EQ(form->HakuJasenID, virta);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmHakuTest, CancelAndCloseBoxResetTheResult)
{
    form->show();
    choose(control<QComboBox>(form.get(), "cmbJasenNro"), "7");
    control<QPushButton>(form.get(), "cHae")->click();
    ASSERT_EQ(form->HakuJasenID, maki);
    for (int i = 0; i < 3; ++i) {
        form->show();
        form->HakuJasenID = maki;
        control<QPushButton>(form.get(), QStringLiteral("cPeruHaku_%1").arg(i).toLatin1().constData())->click();
        EXPECT_EQ(form->HakuJasenID, 0);
        EXPECT_FALSE(form->isVisible());
    }
    form->show();
    form->HakuJasenID = maki;
    form->close();
    EXPECT_EQ(form->HakuJasenID, 0);
}

} // namespace
} // namespace tikkeli

namespace tikkeli {
namespace {

QStringList entries(QComboBox* combo)
{
    QStringList out;
    for (int i = 0; combo && i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

// The lists are kept between openings; every kind of change of the file brings new ones.
TEST_F(frmHakuTest, KeptListsFollowEveryChangeOfTheDatabase)
{
    const QStringList before = {QStringLiteral("12"), QStringLiteral("7"), QStringLiteral("O'1")};
    struct Change {
        const char* what;
        std::function<void(test::MemberSearchTestDb&)> apply;
    };
    const Change changes[] = {
        {"a member added through the program",
         [](test::MemberSearchTestDb& db) { db.addMember("99", "Uusi", "Jäsen", "Oulu"); }},
        {"a number changed by another program",
         [](test::MemberSearchTestDb& db) {
             sqlite3* raw = nullptr;
             ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(db.db().path()).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr),
                       SQLITE_OK);
             EXPECT_EQ(sqlite3_exec(raw, "UPDATE jr SET jrJasennumero = '99' WHERE jrJasennumero = '7'", nullptr, nullptr,
                                    nullptr),
                       SQLITE_OK);
             sqlite3_close_v2(raw);
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        EXPECT_EQ(entries(control<QComboBox>(form.get(), "cmbJasenNro")), before);
        change.apply(t);
        form = std::make_unique<frmHaku>(t.db());
        QComboBox* numbers = control<QComboBox>(form.get(), "cmbJasenNro");
        ASSERT_NE(numbers, nullptr);
        EXPECT_TRUE(entries(numbers).contains(QStringLiteral("99")));
        // The entry chosen leads to its own member, not to the one at its place in the old list.
        choose(numbers, QStringLiteral("12"));
        control<QPushButton>(form.get(), "cHae")->click();
        EXPECT_EQ(form->HakuJasenID, virta);
        // Back to the starting point for the next change.
        t.db().execute(QStringLiteral("DELETE FROM jr WHERE jrJasennumero = '99' AND jrSukunimi = 'Uusi'"));
        t.db().execute(QStringLiteral("UPDATE jr SET jrJasennumero = '7' WHERE jrID = ?"), {Value(maki)});
        form = std::make_unique<frmHaku>(t.db());
    }
}

} // namespace
} // namespace tikkeli
