#include "../MemberSearchTestDb.h"

#include "base/ScriptedPrompter.h"
#include "members/MemberNameSearch.h"
#include "members/ui/frmNimiHaku.h"
#include "base/SharedState.h"

#include <QComboBox>
#include <QGroupBox>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

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

class frmNimiHakuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SelectedMemberId = 0;
        virta = t.addMember("1", "Virta", "Anna", "Oulu");
        virtanen = t.addMember("2", "Virtanen", {}, "Kemi");
        obrien = t.addMember("3", "O'Brien", "Sean", "Tornio");
    }
    void TearDown() override { SelectedMemberId = 0; }
    QStringList rows(const frmNimiHaku& form) const
    {
        QStringList out;
        for (int i = 0; i < control<QListWidget>(&form, "lstFoundJR")->count(); ++i)
            out << control<QListWidget>(&form, "lstFoundJR")->item(i)->text();
        return out;
    }
    test::MemberSearchTestDb t;
    ScriptedPrompter prompter;
    qint32 virta = 0, virtanen = 0, obrien = 0;
};

TEST_F(frmNimiHakuTest, SearchListsMatchesAndOpensTheChosenOne)
{
    frmNimiHaku form;
    ASSERT_TRUE(form.isLoaded());
    form.show();
    QTest::keyClicks(control<QLineEdit>(&form, "tSukunimi"), "irt");
    QTest::keyClick(control<QLineEdit>(&form, "tSukunimi"), Qt::Key_Return);
    EXPECT_EQ(rows(form), (QStringList{"Virta Anna - Oulu", "Virtanen - Kemi"}));
    EXPECT_EQ(control<QLabel>(&form, "lblSearchMessage")->text(), "Löytyi: 2");
    control<QListWidget>(&form, "lstFoundJR")->setCurrentRow(1);
    QTest::keyClick(control<QListWidget>(&form, "lstFoundJR"), Qt::Key_Return);
    EXPECT_EQ(SelectedMemberId, virtanen);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(frmNimiHakuTest, TheKeyboardAloneFindsAndOpensTheFirstHit)
{
    frmNimiHaku form;
    ASSERT_TRUE(form.isLoaded());
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    control<QLineEdit>(&form, "tSukunimi")->setFocus();
    QTest::keyClicks(control<QLineEdit>(&form, "tSukunimi"), "virta");
    QTest::keyClick(control<QLineEdit>(&form, "tSukunimi"), Qt::Key_Return);
    ASSERT_EQ(control<QListWidget>(&form, "lstFoundJR")->count(), 2);
    EXPECT_EQ(control<QListWidget>(&form, "lstFoundJR")->currentRow(), 0);
    EXPECT_EQ(QApplication::focusWidget(), control<QListWidget>(&form, "lstFoundJR"));
    QTest::keyClick(control<QListWidget>(&form, "lstFoundJR"), Qt::Key_Return);
    EXPECT_EQ(SelectedMemberId, virta);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(frmNimiHakuTest, ApostropheNameIsFoundAndNoMatchSaysSo)
{
    frmNimiHaku form;
    control<QLineEdit>(&form, "tSukunimi")->setText("O'Brien");
    control<QLineEdit>(&form, "tEtunimi")->setText("se");
    control<QPushButton>(&form, "cSearch")->click();
    EXPECT_EQ(rows(form), QStringList{"O'Brien Sean - Tornio"});
    control<QLineEdit>(&form, "tSukunimi")->setText("' OR '1'='1");
    control<QLineEdit>(&form, "tEtunimi")->clear();
    control<QPushButton>(&form, "cSearch")->click();
    EXPECT_EQ(control<QListWidget>(&form, "lstFoundJR")->count(), 0);
    EXPECT_EQ(control<QLabel>(&form, "lblSearchMessage")->text(), "Ei löytynyt.");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmNimiHakuTest, EmptyCriteriaAsksForAName)
{
    frmNimiHaku form;
    control<QLineEdit>(&form, "tSukunimi")->setText("Virta");
    control<QPushButton>(&form, "cSearch")->click();
    ASSERT_EQ(control<QListWidget>(&form, "lstFoundJR")->count(), 2);
    control<QLineEdit>(&form, "tSukunimi")->clear();
    control<QPushButton>(&form, "cSearch")->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Kirjoita haettava nimi."});
    EXPECT_EQ(control<QListWidget>(&form, "lstFoundJR")->count(), 0);
}

TEST_F(frmNimiHakuTest, ResultOfOpenUndoAndCloseBox)
{
    {
        frmNimiHaku form;
        form.show();
        SelectedMemberId = 42;
        control<QPushButton>(&form, "cOpen")->click(); // no row: nothing to open, the dialog stays
        EXPECT_EQ(SelectedMemberId, 0);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    {
        frmNimiHaku form;
        form.show();
        SelectedMemberId = 42;
        control<QPushButton>(&form, "cUndo")->click();
        EXPECT_EQ(SelectedMemberId, 0);
    }
    {
        frmNimiHaku form;
        form.show();
        SelectedMemberId = 42;
        form.close();
        EXPECT_EQ(SelectedMemberId, 42);
    }
}

TEST_F(frmNimiHakuTest, MissingDatabaseSettingOrFileStopsTheLoad)
{
    SelectedMemberId = 5;
    const struct {
        QString path;
        QString message;
    } cases[] = {
        {QString(), QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")},
        {QStringLiteral("unknown"), QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")},
        {t.path() + QStringLiteral(".puuttuu"), QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        prompter.clear();
        State().DatabasePath = c.path;
        frmNimiHaku::showModal(nullptr); // returns at once: nothing is shown
        ASSERT_EQ(prompter.messageTexts().size(), 1);
        EXPECT_TRUE(prompter.messageTexts().front().startsWith(c.message));
        EXPECT_EQ(SelectedMemberId, 5);
    }
}

} // namespace
} // namespace tikkeli
