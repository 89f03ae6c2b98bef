#include "CatchWindowFixture.h"
#include "support/OtherProgramRestore.h"

#include <QDate>
#include <QPointer>
#include <functional>

using namespace tikkeli;
using test::CatchWindowTest;

namespace {

class CatchWindowReplacedFileTest : public CatchWindowTest {
protected:
    void SetUp() override
    {
        first = t.add(QStringLiteral("Hirvi"), QDate(2025, 10, 4), true, true, QStringLiteral("Suo"));
        second = t.add(QStringLiteral("Kauris"), QDate(2025, 10, 5));
        test::MessagesRunTheEventLoop(prompter);
    }
    QString inFile() { return test::FileRows(t.path, QStringLiteral("SELECT siPaikka FROM si ORDER BY siID")); }

    qint64 first = 0, second = 0;
};

} // namespace

// A place typed on the shown catch, then another program restores a backup over the file: the
// command that would store it says it was not saved, and the window then shows the file now at
// the path; the same command run again stores nothing typed against the old file.
TEST_F(CatchWindowReplacedFileTest, WhatWasTypedBeforeARestoreIsNeverWrittenIntoTheRestoredFile)
{
    struct Case {
        const char* name;
        std::function<bool(frmSaalisilmoitus*)> command; // whether it went through
        bool closes;
    };
    const Case cases[] = {
        {"save", [](frmSaalisilmoitus* w) { return w->cTallenna_Click(); }, false},
        {"close", [](frmSaalisilmoitus* w) { return w->close(); }, true},
        // The second catch has no place.
        {"next catch",
         [this](frmSaalisilmoitus* w) {
             w->cSeuraava_Click();
             return laji->currentText() == QStringLiteral("Kauris");
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.clear();
        std::unique_ptr<frmSaalisilmoitus> owned = openWindow();
        QPointer<frmSaalisilmoitus> w = owned.get();
        ASSERT_EQ(laji->currentText(), QStringLiteral("Hirvi"));
        const int round = int(&c - cases) + 1;
        type(paikka, QStringLiteral("Kirjoitettu%1").arg(round));

        const QString restored = QStringLiteral("Palautettu%1").arg(round);
        test::RestoreChangedCopy(t.path,
                                 QStringLiteral("UPDATE si SET siPaikka = '%1' WHERE siID = %2").arg(restored).arg(first));
        EXPECT_FALSE(c.command(w));
        EXPECT_TRUE(prompter.anyMessageContains(test::ReplacedFileMessage))
            << prompter.messageTexts().join(u'\n').toStdString();
        ASSERT_TRUE(w->isVisible()) << "the window stays open after the message";
        EXPECT_EQ(paikka->currentText(), restored);

        EXPECT_TRUE(c.command(w));
        EXPECT_EQ(w->isVisible(), !c.closes);
        EXPECT_EQ(inFile(), restored + QStringLiteral("|-"));
    }
}
