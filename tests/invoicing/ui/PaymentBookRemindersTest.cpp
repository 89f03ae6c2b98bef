#include "invoicing/ui/InvoicingWindows.h"
#include "ui/WindowHooks.h"
#include "../InvoiceTestDb.h"
#include "WindowTestSupport.h"

#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "db/Recordset.h"
#include "invoicing/InvoicePrints.h"
#include "invoicing/Reminders.h"
#include "invoicing/ui/ReminderCommands.h"
#include "invoicing/ui/frmMaksut.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "support/Controls.h"
#include "support/SmtpTestServer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

const QDate kToday(2027, 3, 17);

// The payment book with its three reminder commands wired, on the sample club. The unpaid
// invoices 2054..2069 of the sample are the range the tests remind.
class PaymentBookRemindersTest : public ::testing::Test {
protected:
    FixedClock clock{QDateTime(kToday, QTime(12, 0))};
    test::InvoiceTestDb club;
    ScriptedPrompter prompter;
    std::vector<std::shared_ptr<const ReportDocument>> printed;
    qint64 inRange = 0;

    void SetUp() override
    {
        SetInvoicingHooks();
        State().ReminderFee = *Currency::parse(QStringLiteral("5"));
        State().LateInterestRate = 8.0;
        State().ReminderTitle = QStringLiteral("MAKSUMUISTUTUS");
        test::installReports(club.env);
        MainReport().setOutputHandler(
            [this](std::shared_ptr<const ReportDocument> doc, const ReportEngine&) { printed.push_back(doc); });
        inRange = club.count(QStringLiteral("jmhist"),
                             QStringLiteral("jmhjmLaskunumero BETWEEN 2054 AND 2069 AND jmhjmMaksettu = False"));
        ASSERT_GE(inRange, 3);
    }
    void TearDown() override
    {
        WindowHooks::clear();
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
    }

    std::unique_ptr<frmMaksut> openWindow() { return test::openShown<frmMaksut>(); }
    static void answerRange(const char* from, const char* to, QList<std::pair<QString, QString>> then = {})
    {
        test::answerRange(from, to, nullptr, std::move(then));
    }
    qint64 reminded(int number)
    {
        return club.count(QStringLiteral("jmhist"),
                          QStringLiteral("jmhjmLaskunumero BETWEEN 2054 AND 2069 AND jmhjmMuistutusNumero = ?"),
                          {Value(number)});
    }
    void writeReminderTemplate(const char* text)
    {
        const QString path = club.env.root() + QStringLiteral("/karhu.txt");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        State().ReminderTemplatePath = path;
    }
    // The range's members take their reminders by e-mail, sent through smtp with this template.
    void emailTheRange(const test::SmtpTestServer& smtp, const char* reminderTemplate)
    {
        ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
        State().SmtpServer = smtp.server();
        State().SenderEmail = QStringLiteral("laskut@eramiehet.fi");
        writeReminderTemplate(reminderTemplate);
        club.db.execute(QStringLiteral("UPDATE jr SET jrEmailLasku = 1, jrEmail = 'jasen' || jrID || '@example.fi'"
                                       " WHERE jrID IN (SELECT jmhjmjrID FROM jmhist WHERE jmhjmLaskunumero BETWEEN 2054"
                                       " AND 2069)"));
    }
};

TEST_F(PaymentBookRemindersTest, PrintRecordsTheRangeThenPrintsItsRemindersOnTheTransferForm)
{
    auto w = openWindow();
    auto* print = test::Control<QAbstractButton>(*w, "cMuistutukset");
    ASSERT_TRUE(print->isEnabled());

    // No: nothing recorded.
    prompter.answerNo();
    print->click();
    EXPECT_EQ(reminded(1), 0);
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Tulostetaanko maksumuistutukset maksamattomille laskuille?"});

    // The range dialog fixes the state to unpaid and the kind to all; the print dialog cancelled,
    // nothing is recorded or marked.
    bool stateFixed = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal);
        auto* unpaid = modal->findChild<QRadioButton*>(QStringLiteral("optLaskunTila_2"));
        auto* allKinds = modal->findChild<QRadioButton*>(QStringLiteral("optLaskurajaus_0"));
        ASSERT_TRUE(unpaid && allKinds);
        stateFixed = unpaid->isChecked() && !unpaid->isEnabled() && allKinds->isChecked() && !allKinds->isEnabled();
    });
    prompter.answerYes();
    answerRange("2054", "2069", {{QStringLiteral("frmTulostus"), QStringLiteral("cPeruTulostus")}});
    print->click();
    EXPECT_TRUE(stateFixed);
    EXPECT_TRUE(printed.empty());
    EXPECT_EQ(reminded(1), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = True")), 0);

    // Printed: one page per reminder, first reminders, no question while none was e-mailed.
    prompter.clear();
    prompter.answerYes();
    answerRange("2054", "2069", {{QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    print->click();
    ASSERT_EQ(printed.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(printed[0]->pages.size(), size_t(inRange));
    EXPECT_EQ(reminded(1), inRange);
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = True")), inRange);
    EXPECT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_EQ(prompter.unexpected(), 0);
    EXPECT_EQ(MainReport().ReportFileName.section(QLatin1Char('/'), -1), QStringLiteral("mutilis1.rpt"));
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("{jmhist.jmhTulosta}=true"));
    EXPECT_TRUE(InvoiceLayout().InvoiceGiroForm && InvoiceLayout().InvoiceFinnishOnly);
    EXPECT_FALSE(InvoiceLayout().InvoiceMemberCard);
    // Pages in print order: by the name on the invoice.
    const QString first = club.field(QStringLiteral("SELECT jmhjmLaskOsoite1 FROM jmhist WHERE jmhTulosta = True"
                                                    " ORDER BY jmhTulostusJarjestysID LIMIT 1"))
                              .toString();
    EXPECT_EQ(club.field(QStringLiteral("SELECT MIN(jmhjmLaskOsoite1) FROM jmhist WHERE jmhTulosta = True")).toString(),
              first);
    EXPECT_TRUE(printed[0]->pageLines(0).contains(first));

    // One reminder e-mailed before: asked, and Yes leaves it out.
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhMuistutusEmailed = True WHERE jmhjmLaskunumero = 2057"));
    printed.clear();
    prompter.clear();
    prompter.answerYes();
    prompter.answerYes();
    answerRange("2054", "2069", {{QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    print->click();
    ASSERT_EQ(printed.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(printed[0]->pages.size(), size_t(inRange - 1));
    // The e-mailed one, left out of the print, is not reminded again.
    EXPECT_EQ(reminded(2), inRange - 1);
    EXPECT_EQ(reminded(1), 1);
    EXPECT_EQ(prompter.messageTexts().value(1),
              QStringLiteral("Tulostetaanko vain ne muistutukset, joita ei lähetetty sähköpostitse?"));
    EXPECT_EQ(MainReport().SelectionFormula,
              QStringLiteral("{jmhist.jmhTulosta}=true and {jmhist.jmhMuistutusEmailed} = False"));
}

TEST_F(PaymentBookRemindersTest, NothingToRemindAndAMissingReportAreTold)
{
    auto w = openWindow();
    auto* print = test::Control<QAction>(*w, "mMuistutukset");
    EXPECT_EQ(print->shortcut(), QKeySequence(Qt::Key_F8));

    prompter.answerYes();
    answerRange("5000", "6000");
    print->trigger();
    EXPECT_EQ(prompter.messageTexts().value(1), QStringLiteral("Ei löydy maksamattomia laskuja väliltä: 5000 - 6000"));
    EXPECT_EQ(prompter.messageTexts().size(), 2); // no print dialog followed
    EXPECT_TRUE(printed.empty());

    // The report file gone: the command says so with its own prefix and the engine's error.
    ASSERT_TRUE(QFile::remove(club.env.programFolder() + QStringLiteral("/reports/mutilis1.rpt")));
    prompter.clear();
    prompter.answerYes();
    answerRange("2054", "2069", {{QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    print->trigger();
    EXPECT_TRUE(printed.empty());
    ASSERT_EQ(prompter.messageTexts().size(), 2);
    EXPECT_TRUE(prompter.messageTexts()[1].startsWith(QStringLiteral("Virhe maksumuistutusten tulostuksessa: 20504 / ")))
        << prompter.messageTexts()[1].toStdString();
    // A print that failed records nothing.
    EXPECT_EQ(reminded(1), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = True")), 0);
    EXPECT_FALSE(club.db.inTransaction());
}

TEST_F(PaymentBookRemindersTest, PayeeDataThatFailsItsCheckStopsThePrintAndTheEmail)
{
    State().Iban1 = QStringLiteral("FI40 4799 1020 3040 51");
    auto w = openWindow();
    for (const char* command : {"cMuistutukset", "cEmail"}) {
        prompter.clear();
        prompter.answerYes();
        answerRange("2054", "2069");
        test::Control<QAbstractButton>(*w, command)->click();
        ASSERT_EQ(prompter.messageTexts().size(), 2) << command;
        EXPECT_TRUE(prompter.messageTexts()[1].contains(
            QStringLiteral("tilinumero (IBAN1) \"FI40 4799 1020 3040 51\" on virheellinen")))
            << prompter.messageTexts()[1].toStdString();
        EXPECT_TRUE(printed.empty());
        EXPECT_EQ(reminded(1), 0) << command;
    }
}

TEST_F(PaymentBookRemindersTest, InvoicesNotYetDueAreLeftOutAndCounted)
{
    // Of the range's unpaid invoices, one falls due today and one next month.
    const auto unpaid = [this](int k) {
        return club
            .field(QStringLiteral("SELECT jmhjmLaskunumero FROM jmhist WHERE jmhjmLaskunumero BETWEEN 2054 AND 2069"
                                  " AND jmhjmMaksettu = False ORDER BY jmhjmLaskunumero LIMIT 1 OFFSET ?"),
                   {Value(k)})
            .toInt64();
    };
    const qint64 dueToday = unpaid(0), dueLater = unpaid(1);
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhjmErapaiva = ? WHERE jmhjmLaskunumero = ?"),
                    {Value(kToday), Value(dueToday)});
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhjmErapaiva = ? WHERE jmhjmLaskunumero = ?"),
                    {Value(kToday.addMonths(1)), Value(dueLater)});
    auto w = openWindow();
    prompter.answerYes();
    answerRange("2054", "2069", {{QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    test::Control<QAbstractButton>(*w, "cMuistutukset")->click();
    ASSERT_EQ(printed.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(printed[0]->pages.size(), size_t(inRange - 2));
    EXPECT_EQ(prompter.messageTexts().value(1),
              QStringLiteral("2 maksamatonta laskua jätettiin pois, koska niiden eräpäivä ei ole vielä mennyt."));
    EXPECT_EQ(reminded(1), inRange - 2);
    EXPECT_EQ(club.count(QStringLiteral("jmhist"),
                         QStringLiteral("jmhjmLaskunumero IN (?, ?) AND"
                                        " (jmhjmMuistutusNumero IS NOT NULL OR jmhTulosta = True)"),
                         {Value(dueToday), Value(dueLater)}),
              0);
    // No interest period runs backwards on any reminder recorded.
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMuistutusPaiva <= jmhjmErapaiva")), 0);

    // A range holding only invoices not yet due: nothing to remind, and why.
    prompter.clear();
    prompter.answerYes();
    const QByteArray only = QByteArray::number(dueToday);
    answerRange(only.constData(), only.constData());
    test::Control<QAbstractButton>(*w, "cMuistutukset")->click();
    EXPECT_EQ(prompter.messageTexts().value(1),
              QStringLiteral("Ei löydy maksamattomia laskuja väliltä: %1 - %1\r\n"
                             "1 maksamaton lasku jätettiin pois, koska sen eräpäivä ei ole vielä mennyt.")
                  .arg(dueToday));
    EXPECT_EQ(printed.size(), 1u);
}

TEST_F(PaymentBookRemindersTest, EmailRunsWithCommandsOffAndClosingRefused)
{
    test::SmtpTestServer smtp;
    ASSERT_NO_FATAL_FAILURE(emailTheRange(smtp, "Hei <MAKSAJANOSOITE1:25>|<LASKUNUMERO:4>|<MUISTUTUKSENLOPPUSUMMA:6>"));
    auto w = openWindow();
    auto* email = test::Control<QAbstractButton>(*w, "cEmail");
    auto* copies = test::Control<QAbstractButton>(*w, "cKopiot");
    // Idle, F8 reaches the reminder print (answered No here).
    QApplication::setActiveWindow(w.get());
    prompter.answerNo();
    QTest::keyClick(w.get(), Qt::Key_F8);
    ASSERT_EQ(prompter.messageTexts(), QStringList{"Tulostetaanko maksumuistutukset maksamattomille laskuille?"});
    prompter.clear();

    // While the loop runs: commands and function keys off, the cancel button shown, closing refused.
    bool seenBusy = false, commandsOff = false, keysOff = false, cancelShown = false, closed = true;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (seenBusy || !w->busy())
            return;
        seenBusy = true;
        commandsOff = !email->isEnabled() && !copies->isEnabled();
        const int before = int(prompter.shown().size());
        QApplication::setActiveWindow(w.get());
        QTest::keyClick(w.get(), Qt::Key_F8);
        QTest::keyClick(w.get(), Qt::Key_F2);
        keysOff = int(prompter.shown().size()) == before && !QApplication::activeModalWidget();
        auto* cancel = w->findChild<QAbstractButton*>(QStringLiteral("cKeskeyta"));
        cancelShown = cancel && cancel->isVisible();
        closed = w->close();
    });
    watch.start(0);
    prompter.answerYes();
    answerRange("2054", "2069");
    email->click();
    watch.stop();
    ASSERT_TRUE(seenBusy);
    EXPECT_TRUE(commandsOff);
    EXPECT_TRUE(keysOff);
    EXPECT_TRUE(cancelShown);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(w->isVisible());

    // Afterwards: everything back, each reminder sent once, the summary shown.
    EXPECT_FALSE(w->busy());
    EXPECT_TRUE(email->isEnabled());
    EXPECT_EQ(w->findChild<QAbstractButton*>(QStringLiteral("cKeskeyta")), nullptr);
    ASSERT_EQ(smtp.messages().size(), size_t(inRange));
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhMuistutusEmailed = True")), inRange);
    // 45,00 due 2.3.2026: 380 days at 8 % is 3,7479; with the fee 53,7479, shown as 53,75.
    const QString name2054 =
        club.field(QStringLiteral("SELECT jmhjmLaskOsoite1 FROM jmhist WHERE jmhjmLaskunumero = 2054")).toString();
    const QString body2054 = QStringLiteral("Hei ") + name2054.leftJustified(25) + QStringLiteral("|2054|53,75");
    bool found = false;
    for (const QJsonObject& m : smtp.messages())
        found = found || m[QStringLiteral("text")].toString() == body2054;
    EXPECT_TRUE(found);
    ASSERT_FALSE(prompter.messageTexts().isEmpty());
    EXPECT_TRUE(
        prompter.messageTexts().last().startsWith(QStringLiteral("Muistutus lähetettiin %1 jäsenelle.").arg(inRange)))
        << prompter.messageTexts().last().toStdString();
    EXPECT_EQ(w->ProgressBar1()->value(), w->ProgressBar1()->maximum());
    EXPECT_TRUE(w->close());
}

// The e-mail command given again the same day (its first run stopped part-way, say) sends no
// member a second reminder: the user is told how many were left out for that, and the next day
// is a new round.
TEST_F(PaymentBookRemindersTest, EmailAgainTheSameDaySendsNoSecondReminder)
{
    test::SmtpTestServer smtp;
    ASSERT_NO_FATAL_FAILURE(emailTheRange(smtp, "<LASKUNUMERO:4>"));
    auto w = openWindow();
    for (int run = 0; run < 2; ++run) {
        prompter.answerYes();
        answerRange("2054", "2069");
        test::Control<QAbstractButton>(*w, "cEmail")->click();
    }
    EXPECT_EQ(smtp.messages().size(), size_t(inRange));
    EXPECT_EQ(reminded(1), inRange);
    EXPECT_TRUE(prompter.anyMessageContains(
        QStringLiteral("%1 laskua jätettiin pois, koska niiden muistutus lähetettiin sähköpostitse jo tänään.")
            .arg(inRange)))
        << prompter.messageTexts().join(u'\n').toStdString();
    clock.set(QDateTime(kToday.addDays(1), QTime(12, 0)));
    prompter.answerYes();
    answerRange("2054", "2069");
    test::Control<QAbstractButton>(*w, "cEmail")->click();
    EXPECT_EQ(smtp.messages().size(), size_t(2 * inRange));
    EXPECT_EQ(reminded(2), inRange);
    EXPECT_EQ(prompter.unexpected(), 0);
}

// Reminded by e-mail one day and on paper the next (every reminder printed, the e-mailed ones
// too): the e-mail command that day sends each member the reminder and tells of nobody left out,
// since no reminder went by e-mail that day.
TEST_F(PaymentBookRemindersTest, EmailOnTheDayOfAPaperReminderAfterAnEarlierEmailSendsIt)
{
    test::SmtpTestServer smtp;
    ASSERT_NO_FATAL_FAILURE(emailTheRange(smtp, "<LASKUNUMERO:4>"));
    auto w = openWindow();
    prompter.answerYes();
    answerRange("2054", "2069");
    test::Control<QAbstractButton>(*w, "cEmail")->click();
    ASSERT_EQ(smtp.messages().size(), size_t(inRange));

    clock.set(QDateTime(kToday.addDays(1), QTime(12, 0)));
    prompter.answerYes();
    prompter.answerNo(); // not only those not e-mailed: every reminder on paper
    answerRange("2054", "2069", {{QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    test::Control<QAbstractButton>(*w, "cMuistutukset")->click();
    ASSERT_EQ(printed.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(reminded(2), inRange);

    prompter.answerYes();
    answerRange("2054", "2069");
    test::Control<QAbstractButton>(*w, "cEmail")->click();
    EXPECT_EQ(smtp.messages().size(), size_t(2 * inRange));
    EXPECT_EQ(reminded(3), inRange);
    EXPECT_FALSE(prompter.anyMessageContains(QStringLiteral("sähköpostitse jo tänään")))
        << prompter.messageTexts().join(u'\n').toStdString();
    EXPECT_EQ(prompter.unexpected(), 0);
}

TEST_F(PaymentBookRemindersTest, PaperAndEmailTogetherCountOnlyTheRemindersGiven)
{
    test::SmtpTestServer smtp;
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    State().SmtpServer = smtp.server();
    State().SenderEmail = QStringLiteral("laskut@eramiehet.fi");
    writeReminderTemplate("<LASKUNUMERO:4>");
    // One member of the range takes reminders by e-mail; the rest have no e-mail.
    club.db.execute(QStringLiteral("UPDATE jr SET jrEmailLasku = 0"));
    club.db.execute(QStringLiteral("UPDATE jr SET jrEmailLasku = 1, jrEmail = 'jasen@example.fi' WHERE jrID ="
                                   " (SELECT jmhjmjrID FROM jmhist WHERE jmhjmLaskunumero = 2054)"));
    const qint64 byEmail = club.count(
        QStringLiteral("jmhist"),
        QStringLiteral("jmhjmLaskunumero BETWEEN 2054 AND 2069 AND jmhjmMaksettu = False AND jmhjmjrID ="
                       " (SELECT jmhjmjrID FROM jmhist WHERE jmhjmLaskunumero = 2054)"));
    ASSERT_GE(byEmail, 1);
    auto w = openWindow();

    // First round on paper, second by e-mail where possible and on paper for the rest.
    prompter.answerYes();
    answerRange("2054", "2069", {{QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    test::Control<QAbstractButton>(*w, "cMuistutukset")->click();
    ASSERT_EQ(reminded(1), inRange);
    prompter.answerYes();
    answerRange("2054", "2069");
    test::Control<QAbstractButton>(*w, "cEmail")->click();
    ASSERT_EQ(smtp.messages().size(), size_t(byEmail));
    EXPECT_EQ(reminded(2), byEmail);
    EXPECT_EQ(reminded(1), inRange - byEmail);
    printed.clear();
    prompter.answerYes();
    prompter.answerYes(); // only those not e-mailed
    answerRange("2054", "2069", {{QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    test::Control<QAbstractButton>(*w, "cMuistutukset")->click();
    ASSERT_EQ(printed.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(printed[0]->pages.size(), size_t(inRange - byEmail));
    // Everybody has had two reminders, and their numbers say so.
    EXPECT_EQ(reminded(2), inRange);
    EXPECT_EQ(prompter.unexpected(), 0);
}

TEST_F(PaymentBookRemindersTest, PreviewShowsTheNewRemindersOneByOne)
{
    writeReminderTemplate("<LASKUNUMERO:4>");
    // One reminder of the range was e-mailed before: the preview leaves it out.
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhMuistutusEmailed = True WHERE jmhjmLaskunumero = 2057"));
    auto w = openWindow();
    auto* preview = test::Control<QAbstractButton>(*w, "cEmailPreview");

    QStringList seen, numbers;
    QTimer step;
    QObject::connect(&step, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != QLatin1String("frmEmailPreview"))
            return;
        step.stop();
        auto* box = modal->findChild<QPlainTextEdit*>(QStringLiteral("tLaskuTeksti"));
        ASSERT_TRUE(box);
        const auto click = [&](const char* name) {
            auto* b = modal->findChild<QAbstractButton*>(QString::fromLatin1(name));
            ASSERT_TRUE(b) << name;
            b->click();
            seen << box->toPlainText();
        };
        Recordset rs = club.db.openRecordset(QStringLiteral("SELECT jmhjmLaskunumero FROM jmhist WHERE jmhTulosta = True"
                                                            " AND jmhMuistutusEmailed = False ORDER BY jmhID"),
                                             RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            numbers << rs.field(0).toString();
        seen << box->toPlainText();
        click("cSeuraava");
        click("cViimeinen");
        click("cSeuraava"); // past the end: stays
        click("cEdellinen");
        modal->close();
    });
    step.start(10);
    prompter.answerYes();
    answerRange("2054", "2069");
    preview->click();
    step.stop();

    ASSERT_EQ(numbers.size(), inRange - 1);
    ASSERT_EQ(seen.size(), 5) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(seen, (QStringList{numbers[0], numbers[1], numbers.last(), numbers.last(), numbers[numbers.size() - 2]}));
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{"Luodaanko maksumuistutukset maksamattomista laskuista ja avataan esikatseluun?"});
    // Nothing was sent, marked e-mailed or recorded by looking.
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhMuistutusEmailed = True")), 1);
    EXPECT_EQ(reminded(1), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = True")), 0);
    EXPECT_FALSE(club.db.inTransaction());
    int beeps = 0;
    for (const auto& shown : prompter.shown())
        beeps += shown.kind == ScriptedPrompter::Kind::Beep;
    EXPECT_EQ(beeps, 1);
}

} // namespace
