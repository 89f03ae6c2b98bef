#include "base/ScriptedPrompter.h"
#include "ui/FormRegistry.h"
#include "ui/WindowOpeners.h"
#include "db/Database.h"
#include "members/MemberImportFields.h"
#include "members/MemberImportFile.h"
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
        mOpen = m_window.findChild<QAction*>(QStringLiteral("mOpen"));
        mImport = m_window.findChild<QAction*>(QStringLiteral("mImport"));
        lblFilename = m_window.findChild<QLabel*>(QStringLiteral("lblFilename"));
        lblMessage = m_window.findChild<QLabel*>(QStringLiteral("lblMessage"));
        prgTuonti = m_window.findChild<QProgressBar*>(QStringLiteral("prgTuonti"));
        ASSERT_TRUE(mOpen && mImport && lblFilename && lblMessage && prgTuonti);
        m_counter = State().MemberNumberCounter;
        m_autoNumbers = State().AutoMemberNumbers;
    }
    void TearDown() override
    {
        State().MemberNumberCounter = m_counter;
        State().AutoMemberNumbers = m_autoNumbers;
    }

    // The field choice of column row i; nullptr (and a failure) when there is none.
    QComboBox* field(int i)
    {
        auto* box = m_window.findChild<QComboBox*>(QStringLiteral("cmbKentta_%1").arg(i));
        EXPECT_NE(box, nullptr) << i;
        return box;
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
            auto* cPeru = dialog->findChild<QPushButton*>(QStringLiteral("cPeru"));
            auto* cSeuraava = dialog->findChild<QPushButton*>(QStringLiteral("cSeuraava"));
            auto* cmbSeparator = dialog->findChild<QComboBox*>(QStringLiteral("cmbSeparator"));
            auto* cmbRemoveChars = dialog->findChild<QComboBox*>(QStringLiteral("cmbRemoveChars"));
            if (!cPeru || !cSeuraava || !cmbSeparator || !cmbRemoveChars) {
                ADD_FAILURE() << "separators dialog controls";
                dialog->reject();
                return;
            }
            if (!separator) {
                cPeru->click();
                return;
            }
            cmbSeparator->setEditText(*separator);
            cmbRemoveChars->setEditText(quote);
            cSeuraava->click();
        });
        mOpen->trigger();
    }

    void choose(int column, int code)
    {
        QComboBox* box = field(column);
        ASSERT_NE(box, nullptr);
        box->setCurrentIndex(code);
    }

    QStringList preview(int column)
    {
        auto* list = m_window.findChild<QListWidget*>(QStringLiteral("lstTiedot_%1").arg(column));
        if (!list) {
            ADD_FAILURE() << "no preview " << column;
            return {};
        }
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    test::TempProgramEnvironment m_env;
    ScriptedPrompter m_prompter;
    frmImportData m_window;
    QAction* mOpen = nullptr;
    QAction* mImport = nullptr;
    QLabel* lblFilename = nullptr;
    QLabel* lblMessage = nullptr;
    QProgressBar* prgTuonti = nullptr;
    int m_before = 0;
    int m_files = 0;
    qint32 m_counter = 1;
    bool m_autoNumbers = false;
};

TEST_F(frmImportDataTest, StartsWithOneEmptyColumnRow)
{
    EXPECT_EQ(m_window.windowTitle(), QStringLiteral("Tikkeli - Ulkoisten tietojen tuonti"));
    EXPECT_EQ(m_window.lastColumnIndex(), 0);
    auto* label = m_window.findChild<QLabel*>(QStringLiteral("lblSarake_0"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("1."));
    QComboBox* first = field(0);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->count(), F::Count);
    EXPECT_EQ(first->currentText(), QStringLiteral("[Ei tuoda]"));
    EXPECT_EQ(first->itemText(10), QStringLiteral("Syntymäpäivä"));
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
    EXPECT_EQ(lblFilename->text(), path);
    EXPECT_EQ(m_window.lastColumnIndex(), 2);
    ASSERT_NE(field(2), nullptr);
    EXPECT_TRUE(field(2)->isVisible());
    auto* third = m_window.findChild<QLabel*>(QStringLiteral("lblSarake_2"));
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->text(), QStringLiteral("3."));
    EXPECT_EQ(preview(1), (QStringList{"Virtanen", "Laine", QStringLiteral("Mäki")}));
    EXPECT_EQ(lblMessage->text(), QStringLiteral("Tiedostosta löytyy yhteensä 3 riviä."));

    choose(0, F::FirstName);
    choose(1, F::Surname);
    choose(2, F::BirthDate);
    mImport->trigger();
    EXPECT_EQ(m_prompter.messageTexts().last(),
              QStringLiteral("Tietojen tuonti valmis.\nTietokantaan lisättiin 3 jäsentä."));
    EXPECT_EQ(members(), m_before + 3);
    Database db = Database::open(State().DatabasePath);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jrSyntyma FROM jr WHERE jrSukunimi = ?"), {"Mäki"}),
              Value(QDate(1999, 12, 31)));
    EXPECT_FALSE(prgTuonti->isVisible());
    EXPECT_TRUE(mOpen->isEnabled());
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
    mImport->trigger();
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
    ASSERT_NE(field(1), nullptr);
    EXPECT_EQ(field(1)->currentData().toInt(), 0);
    auto* separator = m_window.separatorsDialog()->findChild<QComboBox*>(QStringLiteral("cmbSeparator"));
    ASSERT_NE(separator, nullptr);
    EXPECT_EQ(separator->currentText(), QStringLiteral(","));
}

TEST_F(frmImportDataTest, MalformedFileIsRejectedNamingTheLine)
{
    open(writeFile("\"a\";b\n\"c;d\n"), QStringLiteral(";"));
    ASSERT_FALSE(m_prompter.messageTexts().isEmpty());
    EXPECT_TRUE(m_prompter.messageTexts().last().startsWith(QStringLiteral("Rivillä 2 ")));
    EXPECT_TRUE(lblFilename->text().isEmpty());
    mImport->trigger();
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
    mImport->trigger();
    const QString shown = m_prompter.messageTexts().last();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Tapahtui virhe: "))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("rivi 3"))) << shown.toStdString();
    EXPECT_EQ(members(), m_before);
    EXPECT_TRUE(mImport->isEnabled());
}

TEST_F(frmImportDataTest, UnknownDatabaseIsReportedNotImported)
{
    open(writeFile("a\n"), QStringLiteral(";"));
    State().DatabasePath = m_env.root() + QStringLiteral("/puuttuu.mdb");
    mImport->trigger();
    EXPECT_TRUE(m_prompter.messageTexts().last().startsWith(QStringLiteral("Tapahtui virhe: ")));
}

TEST_F(frmImportDataTest, HeadingSkippedMembersNumberedAndCutValuesNamed)
{
    const bool autoNumbers = State().AutoMemberNumbers;
    const qint32 counter = State().MemberNumberCounter;
    State().AutoMemberNumbers = true;
    State().MemberNumberCounter = 9000;
    open(writeFile("Sukunimi;Postinumero\nAalto;00100\nBerg;123456\n"), QStringLiteral(";"));
    choose(0, F::Surname);
    choose(1, F::PostalCode);
    mImport->trigger();
    EXPECT_EQ(m_prompter.messageTexts().last(),
              QStringLiteral("Tietojen tuonti valmis.\nTietokantaan lisättiin 2 jäsentä.\nEnsimmäinen rivi on otsikkorivi, "
                             "sitä ei tuotu.\nKentän pituuteen lyhennettiin arvot riveillä: 3 (Postinumero)."));
    EXPECT_EQ(members(), m_before + 2);
    Database db = Database::open(State().DatabasePath);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrSukunimi = 'Sukunimi'")).toInt64(), 0);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jrJasennumero FROM jr WHERE jrSukunimi = 'Berg'")), Value("9001"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jrPostinumero FROM jr WHERE jrSukunimi = 'Berg'")), Value("12345"));
    EXPECT_EQ(State().MemberNumberCounter, 9002);
    State().AutoMemberNumbers = autoNumbers;
    State().MemberNumberCounter = counter;
}

TEST_F(frmImportDataTest, AThousandFieldsAreCappedWithAMessage)
{
    QByteArray line;
    for (int i = 0; i < 5000; ++i)
        line += "x;";
    open(writeFile(line + "\n"), QStringLiteral(";"));
    EXPECT_EQ(m_window.lastColumnIndex() + 1, MemberImportFile::MaxColumns);
    ASSERT_FALSE(m_prompter.messageTexts().isEmpty());
    EXPECT_EQ(m_prompter.messageTexts().last(),
              QStringLiteral("Tiedoston ensimmäisellä rivillä on 5001 kenttää; vain 100 ensimmäistä voidaan tuoda. "
                             "Tarkista kenttien erotin."));
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
