// Every file the program writes where the user names it, over a club file of ours: the program's
// own, one another program has open, one no program has. Each is refused, saying that the file is
// the club's database; a save dialog then asks again; the file stays as it was, byte for byte.
#include "../lists/ListsTestDb.h"
#include "PreviewPdf.h"
#include "support/Controls.h"
#include "support/FailingFileSafety.h"
#include "support/OtherProgramHolding.h"
#include "support/TestFiles.h"
#include "support/WhenModalShown.h"

#include "base/ScriptedPrompter.h"
#include "db/OutputTarget.h"
#include "lists/AddressExport.h"
#include "lists/MemberListReports.h"
#include "lists/ui/MemberOutputs.h"
#include "members/ui/frmHakuehdotJ.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/ReportPreview.h"
#include "printing/ui/ReportPrinting.h"
#include "printing/ui/frmTulJarjValinta.h"
#include "printing/ui/frmTulostus.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

// What the user saw, or the error the writer gave.
using Writes = std::function<QString(ScriptedPrompter&, ListsTestDb&, const QString& target)>;

struct Writer {
    const char* name;
    Writes write;
    bool asksAgain; // a save dialog: shown again after the refusal
    // What comes before the file is named: a report's selection marks the members in the club.
    std::function<void(ListsTestDb&)> prepare = {};
};

QString shown(const ScriptedPrompter& p)
{
    return p.messageTexts().join(u'\n');
}

// The report engine set up for the member list, its pages going to destination.
void memberList(ListsTestDb& club, int destination)
{
    Printing().PrintDestination = qint16(destination);
    MemberListReports::PrintMemberList(club.db, MemberCriteria{}, 0, 0);
}

QString printed()
{
    try {
        MainReport().PrintReport();
    } catch (const NumberedError& e) {
        return e.description();
    }
    return {};
}

const Writer writers[] = {
    {"the preview's PDF file",
     [](ScriptedPrompter& p, ListsTestDb&, const QString& target) {
         p.answerText(target);
         p.answerText(std::nullopt); // the dialog again: cancelled
         SavePdfFromAOnePagePreview();
         return shown(p);
     },
     true},
    {"the address export",
     [](ScriptedPrompter& p, ListsTestDb&, const QString& target) {
         p.answerText(target);
         p.answerText(std::nullopt);
         WhenModalShown<frmHakuehdotJ>([](frmHakuehdotJ& d) { Control<QPushButton>(d, "cSeuraava")->click(); });
         WhenModalShown<frmTulJarjValinta>([](frmTulJarjValinta& d) { Control<QPushButton>(d, "cSeuraava")->click(); });
         MemberOutputs::ExportAddresses(nullptr);
         return shown(p);
     },
     true},
    {"the print dialog's PDF file",
     [](ScriptedPrompter& p, ListsTestDb&, const QString& target) {
         PrinterSetup().outputFile = target;
         bool stayedOpen = false;
         WhenModalShown<frmTulostus>([&](frmTulostus& d) {
             auto* destination = Control<QComboBox>(d, "cmbTulostusLaite");
             destination->setCurrentIndex(destination->findData(1));
             Control<QPushButton>(d, "cTulosta")->click();
             stayedOpen = d.isVisible();
             d.close();
         });
         frmTulostus dialog;
         dialog.exec();
         EXPECT_TRUE(stayedOpen) << "the dialog stays for another choice";
         return shown(p);
     },
     false},
    {"a report printed into a PDF file",
     [](ScriptedPrompter&, ListsTestDb&, const QString& target) {
         MainReport().PrintFileName = target;
         return printed();
     },
     false, [](ListsTestDb& club) { memberList(club, ReportEngine::ToFile); }},
    {"a report printed on the printer's PDF file",
     [](ScriptedPrompter&, ListsTestDb&, const QString& target) {
         PrinterSetup().outputFile = target;
         InstallReportOutput();
         return printed();
     },
     false, [](ListsTestDb& club) { memberList(club, ReportEngine::ToPrinter); }},
    // A printer that makes no copies itself gets the pages kept whole and sent twice.
    {"two copies printed on the printer's PDF file",
     [](ScriptedPrompter&, ListsTestDb&, const QString& target) {
         PrinterSetup().outputFile = target;
         InstallReportOutput();
         MainReport().CopiesToPrinter = 2;
         return printed();
     },
     false, [](ListsTestDb& club) { memberList(club, ReportEngine::ToPrinter); }},
    {"the address file written",
     [](ScriptedPrompter&, ListsTestDb& club, const QString& target) {
         return AddressExport::Export(club.db, MemberCriteria{}, 0, target).message();
     },
     false},
};

enum class Club { Own, HeldByAnother, Closed };

class OutputsOverClub : public ::testing::Test {
protected:
    void SetUp() override
    {
        club.stageReports();
        MemberOutputs::openFile = [](const QString&) {};
    }
    void TearDown() override
    {
        MemberOutputs::openFile = {};
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
        PrinterSetup() = PrinterSetupChoice{};
    }

    // A file of the folder with a digest of its bytes, a line each.
    static QStringList folder(const QString& path)
    {
        QStringList files;
        const QDir dir = QFileInfo(path).absoluteDir();
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
            files << name + u' ' + QString::number(qHash(ReadFileBytes(dir.filePath(name))));
        return files;
    }

    ListsTestDb club;
};

} // namespace

TEST_F(OutputsOverClub, EveryWriterOfAUserNamedFileRefusesAClubFileOfOursAndLeavesItAsItWas)
{
    const struct {
        const char* name;
        Club kind;
    } clubs[] = {{"the program's own club", Club::Own},
                 {"a club another program holds", Club::HeldByAnother},
                 {"a closed club file of ours", Club::Closed}};
    for (const auto& [name, kind] : clubs) {
        SCOPED_TRACE(name);
        const QString copy = QStringLiteral("kopio.mdb");
        const QString target = kind == Club::Own ? club.path
                                                 : club.env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), copy);
        std::unique_ptr<OtherProgramHolding> other;
        if (kind == Club::HeldByAnother) {
            other = std::make_unique<OtherProgramHolding>(target);
            ASSERT_TRUE(other->holds());
        }
        for (const Writer& w : writers) {
            SCOPED_TRACE(w.name);
            if (w.prepare)
                w.prepare(club);
            const QByteArray before = ReadFileBytes(target);
            const QStringList folderBefore = folder(target);
            ScriptedPrompter p;
            const QString said = w.write(p, club, target);
            EXPECT_TRUE(said.contains(OutputTarget::clubDatabaseText(target))) << said.toStdString();
            EXPECT_TRUE(ReadFileBytes(target) == before);
            EXPECT_EQ(folder(target), folderBefore);
            int dialogs = 0;
            for (const auto& s : p.shown())
                dialogs += s.kind == ScriptedPrompter::Kind::SaveFile;
            EXPECT_EQ(dialogs, w.asksAgain ? 2 : 0);
            EXPECT_EQ(p.unexpected(), 0);
            EXPECT_TRUE(p.scriptExhausted());
            MainReport() = ReportEngine{};
            PrinterSetup() = PrinterSetupChoice{};
        }
        other.reset();
        if (kind != Club::Own)
            QFile::remove(target);
    }
}

// A file named for an output that becomes a club file while the output is written (a backup
// restored there meanwhile): it is looked at again when the output takes its place, and kept.
TEST_F(OutputsOverClub, AFileThatBecomesAClubFileWhileTheOutputIsWrittenIsKept)
{
    const QString clubCopy = club.env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), QStringLiteral("kopio.mdb"));
    for (const Writer& w : writers) {
        if (QLatin1String(w.name) != QLatin1String("a report printed into a PDF file")
            && QLatin1String(w.name) != QLatin1String("the address file written"))
            continue;
        SCOPED_TRACE(w.name);
        const QString target = club.env.root() + QStringLiteral("/tuloste/vienti.txt");
        QDir().mkpath(QFileInfo(target).absolutePath());
        WriteFileBytes(target, "vanha");
        bool becameClub = false;
        FailingFileSafety files;
        // The output's own file is flushed first thing when it is put in place.
        files.fault = [&](FileStep step, const QString& path) {
            if (step == FileStep::Sync && path != target && !becameClub) {
                becameClub = QFile::remove(target) && QFile::copy(clubCopy, target);
                EXPECT_TRUE(becameClub);
            }
            return 0;
        };
        if (w.prepare)
            w.prepare(club);
        ScriptedPrompter p;
        const QString said = w.write(p, club, target);
        EXPECT_TRUE(becameClub);
        EXPECT_TRUE(said.contains(OutputTarget::clubDatabaseText(target))) << said.toStdString();
        EXPECT_TRUE(ReadFileBytes(target) == ReadFileBytes(clubCopy));
        EXPECT_EQ(QDir(QFileInfo(target).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList{"vienti.txt"});
        MainReport() = ReportEngine{};
    }
}
