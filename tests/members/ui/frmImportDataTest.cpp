#include "base/ScriptedPrompter.h"
#include "base/ui/FormRegistry.h"
#include "base/ui/WindowOpeners.h"
#include "db/Database.h"
#include "members/MemberImportFields.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmImportData.h"
#include "members/ui/frmSeparators.h"
#include "base/SharedState.h"
#include "support/TempProgramEnvironment.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

using F = MemberImportFields;

class frmImportDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        State().DatabasePath = m_env.copyOfShipped(QStringLiteral("demo1.mdb"), QStringLiteral("club.mdb"));
        m_before = members();
    }

    int members()
    {
        Database db = Database::open(State().DatabasePath);
        return int(db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64());
    }

    QString writeFile(const QByteArray& bytes)
    {
        const QString path = m_env.root() + QStringLiteral("/tuonti%1.csv").arg(++m_files);
        test::WriteFileBytes(path, bytes);
        return path;
    }

    // "Avaa" with the file chosen and the separators dialog answered (nullopt separator = "Peru").
    void open(const QString& path, std::optional<QString> separator, const QString& quote = QStringLiteral("\""))
    {
        m_prompter.answerText(path);
        frmSeparators* dialog = m_window.separatorsDialog();
        QTimer::singleShot(0, dialog, [dialog, separator, quote] {
            if (!separator) {
                dialog->cPeru->click();
                return;
            }
            dialog->cmbSeparator->setEditText(*separator);
            dialog->cmbRemoveChars->setEditText(quote);
            dialog->cSeuraava->click();
        });
        m_window.mOpen->trigger();
    }

    void choose(int column, int code) { m_window.cmbKentta(column)->setCurrentIndex(code); }

    QStringList preview(int column)
    {
        QStringList out;
        for (int i = 0; i < m_window.lstTiedot(column)->count(); ++i)
            out << m_window.lstTiedot(column)->item(i)->text();
        return out;
    }

    test::TempProgramEnvironment m_env;
    ScriptedPrompter m_prompter;
    frmImportData m_window;
    int m_before = 0;
    int m_files = 0;
};

TEST_F(frmImportDataTest, StartsWithOneEmptyColumnRow)
{
    EXPECT_EQ(m_window.windowTitle(), QStringLiteral("Tikkeli - Ulkoisten tietojen tuonti"));
    EXPECT_EQ(m_window.lastColumnIndex(), 0);
    EXPECT_EQ(m_window.findChild<QLabel*>(QStringLiteral("lblSarake_0"))->text(), QStringLiteral("1."));
    QComboBox* field = m_window.findChild<QComboBox*>(QStringLiteral("cmbKentta_0"));
    ASSERT_EQ(field->count(), F::Count);
    EXPECT_EQ(field->currentText(), QStringLiteral("[Ei tuoda]"));
    EXPECT_EQ(field->itemText(10), QStringLiteral("Syntymäpäivä"));
}

TEST_F(frmImportDataTest, OpenShowsColumnsPreviewAndLineCountThenImports)
{
    const QString path = writeFile("\xEF\xBB\xBF\"Matti\";\"Virtanen\";\"1.2.1970\"\r\n"
                                   "\"Liisa\";\"Laine\";\"\"\r\n"
                                   "\r\n"
                                   "\"Ville\";\"Mäki\";\"31.12.1999\"\r\n");
    m_window.show();
    const QString title = State().ProgramTitle;
    State().ProgramTitle = QStringLiteral("Tikkeli 7");
    open(path, QStringLiteral(";"));
    State().ProgramTitle = title;
    ASSERT_EQ(m_prompter.shown().size(), 1u);
    EXPECT_EQ(m_prompter.shown()[0].request.title, QStringLiteral("Tikkeli 7 - tuotavan tiedoston avaus"));
    EXPECT_EQ(m_window.lblFilename->text(), path);
    EXPECT_EQ(m_window.lastColumnIndex(), 2);
    EXPECT_TRUE(m_window.cmbKentta(2)->isVisible());
    EXPECT_EQ(m_window.findChild<QLabel*>(QStringLiteral("lblSarake_2"))->text(), QStringLiteral("3."));
    EXPECT_EQ(preview(1), (QStringList{"Virtanen", "Laine", QStringLiteral("Mäki")}));
    EXPECT_EQ(m_window.lblMessage->text(), QStringLiteral("Tiedostosta löytyy yhteensä 3 riviä."));

    choose(0, F::FirstName);
    choose(1, F::Surname);
    choose(2, F::BirthDate);
    m_window.mImport->trigger();
    EXPECT_EQ(m_prompter.messageTexts().last(), QStringLiteral("Tietojen tuonti valmis."));
    EXPECT_EQ(members(), m_before + 3);
    Database db = Database::open(State().DatabasePath);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jrSyntyma FROM jr WHERE jrSukunimi = ?"), {"Mäki"}),
              Value(QDate(1999, 12, 31)));
    EXPECT_FALSE(m_window.prgTuonti->isVisible());
    EXPECT_TRUE(m_window.mOpen->isEnabled());
}

struct SeparatorCase {
    const char* name;
    std::optional<QString> choice;
    QByteArray content;
    QStringList firstColumn;
    int columns;
};

class frmImportDataSeparators : public frmImportDataTest, public ::testing::WithParamInterface<SeparatorCase> {};

TEST_P(frmImportDataSeparators, SplitsAtTheChosenSeparator)
{
    const SeparatorCase& c = GetParam();
    open(writeFile(c.content), c.choice);
    EXPECT_EQ(m_window.lastColumnIndex() + 1, c.columns) << c.name;
    EXPECT_EQ(preview(0), c.firstColumn) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, frmImportDataSeparators,
    ::testing::Values(SeparatorCase{"tab", QStringLiteral("TAB"), "a\tb\nc\td\n", {"a", "c"}, 2},
                      SeparatorCase{"space", QStringLiteral("SPACE"), "a  b\n", {"a"}, 3},
                      SeparatorCase{"comma", QStringLiteral(","), "\"x, y\",z\n", {"x, y"}, 2},
                      SeparatorCase{"cancelled", std::nullopt, "a;b\n", {"a;b"}, 1},
                      SeparatorCase{"windows-1252", QStringLiteral(";"), "\xC4ij\xE4;x\n", {QStringLiteral("Äijä")}, 2}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(frmImportDataTest, ImportWithoutAFileSaysSo)
{
    m_window.mImport->trigger();
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{QStringLiteral("Tuotavaa tiedostoa ei ole avattu.")});
}

TEST_F(frmImportDataTest, NewFileReplacesTheRowsAndTheDialogKeepsItsChoice)
{
    open(writeFile("a,b,c,d\n"), QStringLiteral(","));
    EXPECT_EQ(m_window.lastColumnIndex(), 3);
    choose(3, F::Email);
    open(writeFile("e,f\n"), QStringLiteral(","));
    EXPECT_EQ(m_window.lastColumnIndex(), 1);
    EXPECT_EQ(m_window.findChild<QComboBox*>(QStringLiteral("cmbKentta_3")), nullptr);
    EXPECT_EQ(preview(0), QStringList{"e"});
    EXPECT_EQ(m_window.cmbKentta(1)->currentData().toInt(), 0);
    EXPECT_EQ(m_window.separatorsDialog()->cmbSeparator->currentText(), QStringLiteral(","));
}

TEST_F(frmImportDataTest, MalformedFileIsRejectedNamingTheLine)
{
    open(writeFile("\"a\";b\n\"c;d\n"), QStringLiteral(";"));
    ASSERT_FALSE(m_prompter.messageTexts().isEmpty());
    EXPECT_TRUE(m_prompter.messageTexts().last().startsWith(QStringLiteral("Rivillä 2 ")));
    EXPECT_TRUE(m_window.lblFilename->text().isEmpty());
    m_window.mImport->trigger();
    EXPECT_EQ(m_prompter.messageTexts().last(), QStringLiteral("Tuotavaa tiedostoa ei ole avattu."));
    EXPECT_EQ(members(), m_before);
}

TEST_F(frmImportDataTest, RefusedLineLeavesNothingImported)
{
    {
        Database db = Database::open(State().DatabasePath);
        db.execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON jr WHEN NEW.jrSukunimi = 'Kielletty' "
                                  "BEGIN SELECT RAISE(ABORT, 'ei kelpaa'); END"));
    }
    open(writeFile("Aalto\nBerg\nKielletty\nCarlsson\n"), QStringLiteral(";"));
    choose(0, F::Surname);
    m_window.mImport->trigger();
    const QString shown = m_prompter.messageTexts().last();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Tapahtui virhe: "))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("rivi 3"))) << shown.toStdString();
    EXPECT_EQ(members(), m_before);
    EXPECT_TRUE(m_window.mImport->isEnabled());
}

TEST_F(frmImportDataTest, UnknownDatabaseIsReportedNotImported)
{
    open(writeFile("a\n"), QStringLiteral(";"));
    State().DatabasePath = m_env.root() + QStringLiteral("/puuttuu.mdb");
    m_window.mImport->trigger();
    EXPECT_TRUE(m_prompter.messageTexts().last().startsWith(QStringLiteral("Tapahtui virhe: ")));
}

TEST(frmImportDataOpener, MainWindowEntryOpensOneWindow)
{
    test::TempProgramEnvironment env;
    RegisterMemberWindows();
    const WindowOpener* opener = WindowOpeners::find(MainCommand::ImportMembers);
    ASSERT_NE(opener, nullptr);
    (*opener)(nullptr);
    QWidget* first = FormRegistry::find(QStringLiteral("frmImportData"));
    ASSERT_NE(first, nullptr);
    (*opener)(nullptr);
    EXPECT_EQ(FormRegistry::find(QStringLiteral("frmImportData")), first);
    first->close();
    WindowOpeners::clear();
}

} // namespace
