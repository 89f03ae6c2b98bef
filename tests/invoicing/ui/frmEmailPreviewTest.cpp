#include "../InvoiceTestDb.h"

#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "invoicing/ui/frmEmailPreview.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

class frmEmailPreviewTest : public ::testing::Test {
protected:
    test::InvoiceTestDb club;
    ScriptedPrompter prompter;
    QList<qint64> invoices;

    void SetUp() override
    {
        const QString path = club.env.root() + QStringLiteral("/lasku.txt");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Lasku <LASKUNUMERO:4>\n<MAKSAJANOSOITE1:10>\n");
        f.close();
        State().InvoiceTemplatePath = path;
        club.db.execute(QStringLiteral("DELETE FROM jm"));
        for (int n : {701, 702, 703}) {
            club.db.execute(QStringLiteral("INSERT INTO jm (jmjrID, jmLaskunumero, jmHinta, jmOtsake, jmLaskOsoite1)"
                                           " VALUES (1, ?, 10, 'Maksu', ?)"),
                            {Value(n), Value(QStringLiteral("Nimi %1").arg(n))});
            invoices << club.db.lastInsertId();
        }
    }
    static QString text(frmEmailPreview& w)
    {
        auto* box = w.findChild<QPlainTextEdit*>(QStringLiteral("tLaskuTeksti"));
        return box ? box->toPlainText() : QStringLiteral("<no box>");
    }
    static void click(frmEmailPreview& w, const char* name)
    {
        auto* b = w.findChild<QPushButton*>(QString::fromUtf8(name));
        ASSERT_TRUE(b) << name;
        b->click();
    }
    int beeps() const
    {
        int n = 0;
        for (const auto& s : prompter.shown())
            n += s.kind == ScriptedPrompter::Kind::Beep;
        return n;
    }
};

TEST_F(frmEmailPreviewTest, StepsThroughTheRecordsAndBeepsAtTheEnds)
{
    frmEmailPreview w;
    ASSERT_TRUE(w.loaded());
    w.SetRecordSource(true, QStringLiteral("SELECT * FROM jm"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tikkeli - Sähköpostilaskun esikatselu"));
    EXPECT_EQ(text(w), QStringLiteral("Lasku 701\nNimi 701\n"));
    click(w, "cEdellinen");
    EXPECT_EQ(beeps(), 1);
    EXPECT_EQ(w.position(), 0);
    click(w, "cSeuraava");
    EXPECT_EQ(text(w), QStringLiteral("Lasku 702\nNimi 702\n"));
    click(w, "cViimeinen");
    EXPECT_EQ(text(w), QStringLiteral("Lasku 703\nNimi 703\n"));
    click(w, "cSeuraava");
    EXPECT_EQ(beeps(), 2);
    EXPECT_EQ(w.position(), 2);
    // Text typed into the box is replaced at the next move; an edited template shows at once.
    QFile f(State().InvoiceTemplatePath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("Uusi <LASKUNUMERO:3>");
    f.close();
    click(w, "cViimeinen");
    EXPECT_EQ(text(w), QStringLiteral("Uusi 703"));
    EXPECT_EQ(beeps(), 2);
    click(w, "cEnsimmäinen");
    EXPECT_EQ(text(w), QStringLiteral("Uusi 701"));
    EXPECT_EQ(prompter.messageTexts(), QStringList());
}

TEST_F(frmEmailPreviewTest, AnEmptySetBeepsOnEveryButtonAndAMissingTemplateIsReported)
{
    frmEmailPreview w;
    w.SetRecordSource(false,
                      QStringLiteral("SELECT * FROM jmhist WHERE jmhMuistutusEmailed = False AND jmhTulosta = True AND 0"));
    for (const char* b : {"cEnsimmäinen", "cEdellinen", "cSeuraava", "cViimeinen"})
        click(w, b);
    EXPECT_EQ(beeps(), 4);
    EXPECT_EQ(w.recordCount(), 0);

    State().InvoiceTemplatePath = club.env.root() + QStringLiteral("/puuttuu.txt");
    QFile::remove(club.env.programFolder() + QStringLiteral("/lasku.txt"));
    frmEmailPreview invoices;
    prompter.answerNo();
    invoices.SetRecordSource(true, QStringLiteral("SELECT * FROM jm"));
    EXPECT_TRUE(
        prompter.anyMessageContains(QStringLiteral("Laskupohjaa ei voida avata. Tarkista asetukista Email laskupohja.")));
    EXPECT_EQ(text(invoices), QString());
}

TEST_F(frmEmailPreviewTest, WithoutADatabaseTheWindowSaysSoAndDoesNotLoad)
{
    State().DatabasePath = QStringLiteral("unknown");
    frmEmailPreview w;
    EXPECT_FALSE(w.loaded());
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")});
}

} // namespace

#include "invoicing/ui/frmMaksujenLuonti.h"
#include "support/SmtpTestServer.h"

#include <QAction>
#include <QProgressBar>
#include <QTimer>

namespace {

TEST_F(frmEmailPreviewTest, InvoicingWindowSendsWithCommandsOffAndRefusesToCloseMeanwhile)
{
    test::SmtpTestServer smtp;
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    State().SmtpServer = smtp.server();
    State().SenderEmail = QStringLiteral("laskut@eramiehet.fi");
    club.db.execute(QStringLiteral("UPDATE jr SET jrEmailLasku = 1, jrEmail = 'jasen1@example.fi' WHERE jrID = 1"));
    frmMaksujenLuonti w;
    w.show();
    ASSERT_TRUE(w.loaded());
    auto* email = w.findChild<QPushButton*>(QStringLiteral("cEmail"));
    auto* cancel = w.findChild<QPushButton*>(QStringLiteral("cKeskeyta"));
    auto* lisaa = w.findChild<QAction*>(QStringLiteral("mLisaaYksittainen"));
    ASSERT_TRUE(email && cancel && lisaa);
    ASSERT_TRUE(email->isEnabled());
    bool closedWhileBusy = true, commandsOff = false, cancelShown = false;
    // While the first message is on its way, try the window.
    QTimer::singleShot(0, &w, [&] {
        commandsOff = w.busy() && !email->isEnabled();
        cancelShown = cancel->isVisible() && cancel->isEnabled();
        closedWhileBusy = w.close();
    });
    email->click();
    EXPECT_TRUE(commandsOff);
    EXPECT_TRUE(cancelShown);
    EXPECT_FALSE(closedWhileBusy);
    EXPECT_FALSE(w.busy());
    EXPECT_FALSE(cancel->isVisible());
    EXPECT_EQ(smtp.messages().size(), 3u);
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmEmailed = 1")), 3);
    ASSERT_FALSE(prompter.messageTexts().isEmpty());
    EXPECT_TRUE(prompter.messageTexts().last().startsWith(QStringLiteral("Lasku lähetettiin 3 jäsenelle.")));
    EXPECT_TRUE(w.close());
}

// While the messages are being made, the bar says so and "Keskeytä" answers: the run ends before a
// message goes, and the closing message says it was cancelled.
TEST_F(frmEmailPreviewTest, InvoicingWindowShowsThePreparationAndItsCancelStopsIt)
{
    test::SmtpTestServer smtp;
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    State().SmtpServer = smtp.server();
    State().SenderEmail = QStringLiteral("laskut@eramiehet.fi");
    club.db.execute(QStringLiteral("UPDATE jr SET jrEmailLasku = 1, jrEmail = 'jasen1@example.fi' WHERE jrID = 1"));
    club.db.execute(QStringLiteral("BEGIN"));
    for (int n = 0; n < 1500; ++n)
        club.db.execute(QStringLiteral("INSERT INTO jm (jmjrID, jmLaskunumero, jmHinta, jmOtsake, jmLaskOsoite1)"
                                       " VALUES (1, ?, 10, 'Maksu', 'Nimi')"),
                        {Value(1000 + n)});
    club.db.execute(QStringLiteral("COMMIT"));
    frmMaksujenLuonti w;
    w.show();
    ASSERT_TRUE(w.loaded());
    auto* email = w.findChild<QPushButton*>(QStringLiteral("cEmail"));
    auto* cancel = w.findChild<QPushButton*>(QStringLiteral("cKeskeyta"));
    auto* bar = w.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    ASSERT_TRUE(email && cancel && bar);
    QString seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (seen.isEmpty() && bar->isTextVisible() && bar->value() > 0) {
            seen = bar->text();
            cancel->click();
        }
    });
    watch.start(0);
    email->click();
    watch.stop();
    EXPECT_TRUE(seen.startsWith(QStringLiteral("Valmistellaan viestejä: "))) << seen.toStdString();
    EXPECT_TRUE(seen.endsWith(QStringLiteral(" / 1503"))) << seen.toStdString();
    EXPECT_TRUE(smtp.messages().isEmpty());
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmEmailed = 1")), 0);
    ASSERT_FALSE(prompter.messageTexts().isEmpty());
    EXPECT_TRUE(prompter.messageTexts().last().contains(QStringLiteral("Lasku jäi lähettämättä 1503 jäsenelle.")));
    EXPECT_TRUE(prompter.messageTexts().last().contains(QStringLiteral("Lähetys keskeytettiin.")));
    EXPECT_FALSE(bar->isTextVisible());
    EXPECT_FALSE(w.busy());
}

} // namespace

namespace {

TEST_F(frmEmailPreviewTest, ScreenshotWhenAsked)
{
    const QByteArray out = qgetenv("TIKKELI_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP();
    QFile::copy(QStringLiteral(TIKKELI_SOURCE_DIR "/data/lasku.txt"), State().InvoiceTemplatePath + QStringLiteral(".full"));
    State().InvoiceTemplatePath += QStringLiteral(".full");
    frmEmailPreview w;
    w.SetRecordSource(true, QStringLiteral("SELECT * FROM jm"));
    w.show();
    QApplication::processEvents();
    w.grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/frmEmailPreview.png"));
}

} // namespace
