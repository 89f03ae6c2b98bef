// A name typed without its extension over a file that exists: every save dialog of the program
// adds the extension before the question about the file, and "Ei" keeps the file as it was.
#include "../lists/ListsTestDb.h"
#include "PreviewPdf.h"
#include "support/Controls.h"
#include "support/TestFiles.h"
#include "support/WhenModalShown.h"

#include "backup/FolderBackup.h"
#include "base/ScriptedPrompter.h"
#include "lists/ui/MemberOutputs.h"
#include "members/ui/frmHakuehdotJ.h"
#include "printing/ui/ReportPreview.h"
#include "printing/ui/frmTulJarjValinta.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

struct SaveDialogCase {
    const char* name;
    const char* existing; // the file in the chosen folder; its name without the extension is typed
    // Scripts what the command asks before its save dialog.
    std::function<void(ScriptedPrompter&, ListsTestDb&)> before;
    std::function<void()> command;
};

} // namespace

TEST(SaveDialogs, ANameTypedWithoutItsExtensionAsksAboutTheFileAndNoKeepsIt)
{
    const SaveDialogCase cases[] = {
        {"the preview's PDF file", "raportti.pdf", {}, [] { SavePdfFromAOnePagePreview(); }},
        {"the address export",
         "jasenet.xlsx",
         {},
         [] {
             WhenModalShown<frmHakuehdotJ>([](frmHakuehdotJ& d) { Control<QPushButton>(d, "cSeuraava")->click(); });
             WhenModalShown<frmTulJarjValinta>([](frmTulJarjValinta& d) { Control<QPushButton>(d, "cSeuraava")->click(); });
             MemberOutputs::ExportAddresses(nullptr);
         }},
        {"the restore's target", "seura.mdb",
         [](ScriptedPrompter& prompter, ListsTestDb& club) {
             const QString source = club.env.root() + QStringLiteral("/varmuuskopio.mdb");
             ASSERT_TRUE(QFile::copy(club.path, source));
             prompter.answerText(source);
         },
         [] { FolderBackup::restore(); }},
    };
    for (const SaveDialogCase& c : cases) {
        SCOPED_TRACE(c.name);
        ListsTestDb club;
        QTemporaryDir folder;
        const QString existing = folder.filePath(QString::fromLatin1(c.existing));
        WriteFileBytes(existing, "vanha");
        ScriptedPrompter prompter;
        if (c.before)
            c.before(prompter, club);
        prompter.answerText(existing.left(existing.lastIndexOf(QLatin1Char('.'))));
        prompter.answerNo();
        prompter.answerText(std::nullopt); // the dialog again: cancelled
        c.command();
        QCoreApplication::processEvents();

        EXPECT_EQ(ReadFileBytes(existing), QByteArray("vanha"));
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QString::fromLatin1(c.existing)});
        int questions = 0;
        for (const auto& s : prompter.shown()) {
            if (s.kind != ScriptedPrompter::Kind::Message || s.buttons == MsgButtons::Ok)
                continue;
            ++questions;
            EXPECT_TRUE(s.buttons == MsgButtons::YesNoDefaultNo) << "Enter keeps the file";
        }
        EXPECT_EQ(questions, 1) << prompter.messageTexts().join(u'|').toStdString();
        EXPECT_TRUE(prompter.scriptExhausted());
        EXPECT_EQ(prompter.unexpected(), 0);
    }
}
