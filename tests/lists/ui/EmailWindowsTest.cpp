#include "members/MemberTestDb.h"

#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "ui/FormRegistry.h"
#include "db/Recordset.h"
#include "lists/GroupEmail.h"
#include "lists/ui/frmGroupEmail.h"
#include "lists/ui/frmGroupEmail2.h"
#include "lists/ui/frmSingleEmail.h"
#include "support/Controls.h"
#include "support/OtherProgramRestore.h"
#include "support/SmtpTestServer.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyledItemDelegate>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

using namespace tikkeli;
using tikkeli::test::Control;
using tikkeli::test::SilentServer;
using tikkeli::test::SmtpTestServer;
using tikkeli::test::waitUntil;

namespace {

class EmailWindowsTest : public ::testing::Test {
protected:
    test::MemberTestDb club;
    ScriptedPrompter prompter;

    void SetUp() override { State().SenderEmail = QStringLiteral("seura@eramiehet.fi"); }
    void TearDown() override { ASSERT_TRUE(test::waitUntilSendsEnd(30000)); }

    qint32 member(const QString& surname, const QString& email)
    {
        club.db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrEmail) VALUES (?, 'Matti', ?)"),
                        {Value(surname), email.isEmpty() ? Value() : Value(email)});
        return qint32(club.db.lastInsertId());
    }
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = club.env.root() + QLatin1Char('/') + name;
        test::WriteFileBytes(path, bytes);
        return path;
    }
    // The ticked members: they are the recipients.
    static QStringList selected(const QListWidget* list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->checkState() == Qt::Checked)
                texts << list->item(i)->text();
        }
        return texts;
    }
};

TEST_F(EmailWindowsTest, OneMessageWithTwoAttachmentsArrivesIntactAndClosesTheWindow)
{
    SmtpTestServer smtp;
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    State().SmtpServer = smtp.server();
    frmSingleEmail w;
    w.SetRecipient(QStringLiteral("jasen@example.fi"));
    w.SetMessage(QStringLiteral("Rivi 1\r\nRivi 2 åäö"));
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tikkeli - Sähköpostin lähetys"));
    EXPECT_EQ(Control<QLineEdit>(w, "tSender")->text(), QStringLiteral("seura@eramiehet.fi"));
    Control<QLineEdit>(w, "tSubject")->setText(QStringLiteral("Jäsentiedot ä"));
    const QString a = file(QStringLiteral("kartta.bin"), QByteArray("\x00\x01\xffkartta", 9));
    const QString b = file(QStringLiteral("Jäsenluettelo ö.txt"), "luettelo\n");
    prompter.answerText(a);
    prompter.answerText(b);
    Control<QPushButton>(w, "cAdd")->click();
    Control<QPushButton>(w, "cAdd")->click();
    Control<QPushButton>(w, "cSend")->click();
    EXPECT_TRUE(w.sending());
    EXPECT_FALSE(Control<QPushButton>(w, "cSend")->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return !w.sending(); }, 30000));
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Viesti lähetetty.")});
    EXPECT_EQ(w.result(), QDialog::Accepted);
    const auto messages = smtp.messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0][QStringLiteral("subject")].toString(), QStringLiteral("Jäsentiedot ä"));
    EXPECT_EQ(messages[0][QStringLiteral("text")].toString(), QStringLiteral("Rivi 1\r\nRivi 2 åäö"));
    const QJsonArray att = messages[0][QStringLiteral("attachments")].toArray();
    ASSERT_EQ(att.size(), 2);
    EXPECT_EQ(att[0][QStringLiteral("filename")].toString(), QStringLiteral("kartta.bin"));
    EXPECT_EQ(QByteArray::fromBase64(att[0][QStringLiteral("data")].toString().toLatin1()),
              QByteArray("\x00\x01\xffkartta", 9));
    EXPECT_EQ(att[1][QStringLiteral("filename")].toString(), QStringLiteral("Jäsenluettelo ö.txt"));
}

TEST_F(EmailWindowsTest, ARefusedRecipientKeepsTheWindowAndTheTypedMessage)
{
    SmtpTestServer smtp({QStringLiteral("torjuttu@example.fi")});
    ASSERT_TRUE(smtp.started());
    State().SmtpServer = smtp.server();
    frmSingleEmail w;
    w.SetRecipient(QStringLiteral("torjuttu@example.fi"));
    w.SetMessage(QStringLiteral("Pitkä viesti"));
    w.show();
    Control<QPushButton>(w, "cSend")->click();
    ASSERT_TRUE(waitUntil([&] { return !w.sending(); }, 30000));
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Viestin lähetys epäonnistui.\r\n")));
    EXPECT_GT(prompter.messageTexts()[0].size(), 40);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Control<QPlainTextEdit>(w, "tMessageText")->toPlainText(), QStringLiteral("Pitkä viesti"));
    EXPECT_TRUE(Control<QPushButton>(w, "cSend")->isEnabled());
}

TEST_F(EmailWindowsTest, BadInputIsRefusedBeforeAnythingIsSent)
{
    struct Case {
        const char* name;
        QString server;
        QString recipient;
        bool missingAttachment;
        QString message;
    };
    const Case cases[] = {
        {"empty recipient", QStringLiteral("127.0.0.1:1"), QStringLiteral("  "), false,
         QStringLiteral("Anna vastaanottajan sähköpostiosoite.")},
        {"no server", QString(), QStringLiteral("a@example.fi"), false,
         QStringLiteral("Asetuksista puuttuu SMTP palvelimen nimi.")},
        {"attachment gone", QStringLiteral("127.0.0.1:1"), QStringLiteral("a@example.fi"), true,
         QStringLiteral("Liitetiedostoa ei löydy: %1/poistettu.txt")},
    };
    for (const Case& c : cases) {
        prompter.clear();
        State().SmtpServer = c.server;
        frmSingleEmail w;
        w.SetRecipient(c.recipient);
        if (c.missingAttachment)
            Control<QListWidget>(w, "lstAttachments")->addItem(club.env.root() + QStringLiteral("/poistettu.txt"));
        Control<QPushButton>(w, "cSend")->click();
        EXPECT_FALSE(w.sending()) << c.name;
        EXPECT_EQ(prompter.messageTexts(),
                  QStringList{c.message.contains(QLatin1String("%1")) ? c.message.arg(club.env.root()) : c.message})
            << c.name;
    }
}

TEST_F(EmailWindowsTest, ASilentServerKeepsEventsRunningAndPeruCancelsWhileClosingIsRefused)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    QList<QTcpSocket*> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] { held << silent.nextPendingConnection(); });
    State().SmtpServer = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    frmSingleEmail w;
    w.setTimeoutMs(20000);
    w.SetRecipient(QStringLiteral("a@example.fi"));
    w.show();
    Control<QPushButton>(w, "cSend")->click();
    ASSERT_TRUE(w.sending());
    QTest::qWait(200);
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    Control<QPushButton>(w, "cCancel")->click();
    ASSERT_TRUE(waitUntil([&] { return !w.sending(); }, 10000));
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Viestin lähetys peruttiin.")});
    EXPECT_TRUE(w.isVisible());
}

class GroupEmailWindowTest : public EmailWindowsTest {
protected:
    frmGroupEmail2* open(const QString& subject, bool toAll)
    {
        auto* step1 = FormRegistry::open<frmGroupEmail>(QStringLiteral("frmGroupEmail"));
        step1->ToAll = toAll;
        Control<QLineEdit>(*step1, "tAihe")->setText(subject);
        Control<QPlainTextEdit>(*step1, "tTeksti")->setPlainText(QStringLiteral("Tervetuloa syyskokoukseen."));
        Control<QPushButton>(*step1, "cSeuraava")->click();
        QCoreApplication::processEvents();
        EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmGroupEmail")));
        auto* w = static_cast<frmGroupEmail2*>(FormRegistry::find(QStringLiteral("frmGroupEmail2")));
        EXPECT_NE(w, nullptr);
        return w;
    }
    void TearDown() override
    {
        if (QWidget* w = FormRegistry::find(QStringLiteral("frmGroupEmail2")))
            w->close();
        QCoreApplication::processEvents();
        EmailWindowsTest::TearDown();
    }
};

TEST_F(GroupEmailWindowTest, FiveWithTwoRefusedAskAndYesMakesTheFailedGroup)
{
    SmtpTestServer smtp({QStringLiteral("x1@example.fi"), QStringLiteral("x2@example.fi")});
    ASSERT_TRUE(smtp.started());
    State().SmtpServer = smtp.server();
    QList<qint32> ids;
    int k = 0;
    for (const char* a : {"a@example.fi", "x1@example.fi", "b@example.fi", "x2@example.fi", "c@example.fi"})
        ids << member(QStringLiteral("Jäsen%1").arg(k++), QString::fromUtf8(a));
    frmGroupEmail2* w = open(QStringLiteral("Syyskokous"), true);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Ryhmäsähköposti 2 / 2"));
    auto* list = Control<QListWidget>(*w, "lstEmailsTo");
    EXPECT_EQ(selected(list).size(), 5);
    // "Kaikille" locks the choice: a click changes nothing.
    EXPECT_FALSE(Control<QComboBox>(*w, "cmbOminaisuudet")->isEnabled());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(selected(list).size(), 5);
    prompter.answerYes();
    Control<QPushButton>(*w, "cSendMail")->click();
    ASSERT_TRUE(waitUntil([&] { return !w->sending() && !prompter.messageTexts().isEmpty(); }, 60000));
    QCoreApplication::processEvents();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text,
              QStringLiteral("Sähköpostin lähetys ei onnistunut kaikille.\r\nOnnistui: 3  Epäonnistui: 2\r\n\r\n"
                             "Jäsen1 Matti: Palvelin ei hyväksynyt vastaanottajaa: 550 5.1.1 <x1@example.fi>: Mailbox"
                             " unavailable\r\n"
                             "Jäsen3 Matti: Palvelin ei hyväksynyt vastaanottajaa: 550 5.1.1 <x2@example.fi>: Mailbox"
                             " unavailable\r\n\r\n"
                             "Luodaanko uusi ryhmä niistä joille lähetys epäonnistui?"));
    EXPECT_EQ(prompter.shown()[0].icon, MsgIcon::Warning);
    EXPECT_EQ(Control<QProgressBar>(*w, "pBar")->value(), 5);
    EXPECT_EQ(Control<QPushButton>(*w, "cPeru")->text(), QStringLiteral("&Sulje"));
    Recordset rs = club.db.openRecordset(
        QStringLiteral("SELECT ptjrID FROM pt JOIN pi ON pi.piID = pt.ptpiID WHERE pi.piNimi = ? ORDER BY ptjrID"),
        RecordsetType::Snapshot, {Value(QStringLiteral("Epäonn. email:Syyskokous"))});
    QList<qint32> group;
    for (; !rs.eof(); rs.moveNext())
        group << qint32(rs.field(0).toInt64());
    EXPECT_EQ(group, (QList<qint32>{ids[1], ids[3]}));
    EXPECT_NE(Control<QComboBox>(*w, "cmbOminaisuudet")->findText(QStringLiteral("Epäonn. email:Syyskokous")), -1);
}

TEST_F(GroupEmailWindowTest, AFeatureSelectsItsHoldersAndTheChecksComeBeforeTheSend)
{
    State().SmtpServer = QStringLiteral("127.0.0.1:1");
    const qint32 a = member(QStringLiteral("Aho"), QStringLiteral("aho@example.fi"));
    member(QStringLiteral("Bäck"), QString());
    const qint32 c = member(QStringLiteral("Cedergren"), QStringLiteral("c@example.fi"));
    const qint64 hunters = club.feature(QStringLiteral("Hirviporukka"));
    club.give(a, hunters);
    club.give(c, hunters);
    club.feature(QStringLiteral("Tyhjä"));
    frmGroupEmail2* w = open(QString(), false);
    ASSERT_NE(w, nullptr);
    auto* list = Control<QListWidget>(*w, "lstEmailsTo");
    auto* box = Control<QComboBox>(*w, "cmbOminaisuudet");
    EXPECT_EQ(box->itemText(0), QStringLiteral("-Kaikki-"));
    EXPECT_EQ(selected(list), (QStringList{QStringLiteral("Aho Matti - aho@example.fi"), QStringLiteral("Bäck Matti - "),
                                           QStringLiteral("Cedergren Matti - c@example.fi")}));
    box->setFocus();
    box->setCurrentIndex(box->findText(QStringLiteral("Hirviporukka")) - 1);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(selected(list),
              (QStringList{QStringLiteral("Aho Matti - aho@example.fi"), QStringLiteral("Cedergren Matti - c@example.fi")}));
    box->setCurrentIndex(box->findText(QStringLiteral("Tyhjä")));
    w->ApplyFeatureChoice();
    EXPECT_TRUE(selected(list).isEmpty());
    Control<QPushButton>(*w, "cSendMail")->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Valitse vähintään yksi vastaanottaja.")});
    // An empty subject asks first; No sends nothing.
    list->item(0)->setCheckState(Qt::Checked);
    prompter.clear();
    prompter.answerNo();
    Control<QPushButton>(*w, "cSendMail")->click();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Viestin aihe tai teksti on tyhjä. Lähetetäänkö silti?"));
    EXPECT_FALSE(w->sending());
}

// The recipient list sizes the rows it shows, not every member of the club: showing the window and
// choosing a feature cost as much for a club of 600 as for one of six.
TEST_F(GroupEmailWindowTest, ShowingTheListAndChoosingAFeatureSizeOnlyTheRowsInView)
{
    struct CountingDelegate : QStyledItemDelegate {
        mutable int sized = 0;
        QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
        {
            ++sized;
            return QStyledItemDelegate::sizeHint(option, index);
        }
    } delegate;
    const qint64 dogs = club.feature(QStringLiteral("Koira"));
    club.db.execute(QStringLiteral("BEGIN"));
    for (int i = 0; i < 600; ++i) {
        const qint32 m = member(QStringLiteral("Jäsen%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("j@example.fi"));
        if (i % 2 == 0)
            club.give(m, dogs);
    }
    club.db.execute(QStringLiteral("COMMIT"));
    auto w = std::make_unique<frmGroupEmail2>();
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    auto* list = Control<QListWidget>(*w, "lstEmailsTo");
    list->setItemDelegate(&delegate);
    w->show();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    EXPECT_GE(list->count(), 600);
    EXPECT_LT(delegate.sized, 60);
    delegate.sized = 0;
    auto* box = Control<QComboBox>(*w, "cmbOminaisuudet");
    box->setCurrentIndex(box->findText(QStringLiteral("Koira")));
    w->ApplyFeatureChoice();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    EXPECT_EQ(selected(list).size(), 300);
    EXPECT_LT(delegate.sized, 60);
    list->setItemDelegate(nullptr);
}

TEST_F(GroupEmailWindowTest, MovingInTheListKeepsTheTickedRecipientsAndTheTallyCountsThem)
{
    SmtpTestServer smtp;
    ASSERT_TRUE(smtp.started());
    State().SmtpServer = smtp.server();
    for (const char* name : {"Aho", "Bäck", "Cedergren"})
        member(QString::fromUtf8(name), QStringLiteral("jasen@example.fi"));
    frmGroupEmail2* w = open(QStringLiteral("Kokous"), false);
    ASSERT_NE(w, nullptr);
    auto* list = Control<QListWidget>(*w, "lstEmailsTo");
    list->setFocus();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_Home, Qt::Key_Down})
        QTest::keyClick(list, key);
    EXPECT_EQ(selected(list).size(), 3);
    // Space ticks and unticks the member under the cursor.
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(selected(list).size(), 2);
    QTest::keyClick(list, Qt::Key_Space);
    Control<QPushButton>(*w, "cSendMail")->click();
    ASSERT_TRUE(waitUntil([&] { return !w->sending() && !prompter.messageTexts().isEmpty(); }, 60000));
    EXPECT_EQ(smtp.messages().size(), 3);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Sähköposti lähetettiin onnistuneesti 3 jäsenelle.")});
}

TEST_F(GroupEmailWindowTest, ASecondGroupEmailWaitsWhileOneIsSendingAndTheFailedGroupKeepsItsSubject)
{
    SilentServer silent;
    State().SmtpServer = silent.name();
    const qint32 first = member(QStringLiteral("Aho"), QStringLiteral("aho@example.fi"));
    member(QStringLiteral("Bäck"), QStringLiteral("back@example.fi"));
    frmGroupEmail2* w = open(QStringLiteral("Syyskokous"), true);
    ASSERT_NE(w, nullptr);
    w->setTimeoutMs(1000);
    Control<QPushButton>(*w, "cSendMail")->click();
    ASSERT_TRUE(w->sending());

    auto* second = FormRegistry::open<frmGroupEmail>(QStringLiteral("frmGroupEmail"));
    Control<QLineEdit>(*second, "tAihe")->setText(QStringLiteral("Talkoot"));
    Control<QPushButton>(*second, "cSeuraava")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(prompter.messageTexts(), QStringList{GroupEmail::SendUnderWayText()});
    EXPECT_TRUE(IsFormLoaded(QStringLiteral("frmGroupEmail")));
    EXPECT_EQ(Control<QLineEdit>(*second, "tAihe")->text(), QStringLiteral("Talkoot"));

    prompter.clear();
    prompter.answerYes();
    ASSERT_TRUE(waitUntil([&] { return !w->sending() && !prompter.messageTexts().isEmpty(); }, 60000));
    QCoreApplication::processEvents();
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    // Why the run stopped, and that the second member was never tried.
    const QString timedOut = QStringLiteral("SMTP-palvelin %1 ei vastannut ajoissa.").arg(silent.name());
    EXPECT_EQ(prompter.messageTexts()[0],
              QStringLiteral("Sähköpostin lähetys ei onnistunut kaikille.\r\nOnnistui: 0  Epäonnistui: 1\r\n"
                             "Lähettämättä jäi: 1\r\n\r\nLähetys keskeytyi: %1\r\nAho Matti: %1\r\n\r\n"
                             "Luodaanko uusi ryhmä niistä joille lähetys epäonnistui?")
                  .arg(timedOut));
    Recordset rs = club.db.openRecordset(
        QStringLiteral("SELECT pi.piNimi, pt.ptjrID FROM pt JOIN pi ON pi.piID = pt.ptpiID"), RecordsetType::Snapshot);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("Epäonn. email:Syyskokous"));
    EXPECT_EQ(rs.field(1).toInt64(), first);
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    prompter.answerYes();
    second->close();
}

TEST_F(GroupEmailWindowTest, PeruMidSendLeavesTheRestUnsentRatherThanFailed)
{
    SilentServer silent;
    State().SmtpServer = silent.name();
    for (const char* name : {"Aho", "Bäck", "Cedergren"})
        member(QString::fromUtf8(name), QStringLiteral("jasen@example.fi"));
    frmGroupEmail2* w = open(QStringLiteral("Kokous"), true);
    ASSERT_NE(w, nullptr);
    w->setTimeoutMs(20000);
    Control<QPushButton>(*w, "cSendMail")->click();
    ASSERT_TRUE(waitUntil([&] { return !silent.held.isEmpty(); }, 20000));
    Control<QPushButton>(*w, "cPeru")->click();
    ASSERT_TRUE(waitUntil([&] { return !w->sending() && !prompter.messageTexts().isEmpty(); }, 15000));
    QCoreApplication::processEvents();
    // Told, not asked: nobody failed, so there is no group to make.
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{QStringLiteral("Sähköpostin lähetys keskeytettiin.\r\nOnnistui: 0\r\nLähettämättä jäi: 3")});
    EXPECT_EQ(prompter.unexpected(), 0);
    EXPECT_EQ(club.db.scalar(QStringLiteral("SELECT COUNT(*) FROM pi WHERE piNimi LIKE 'Epäonn.%'")).toInt64(), 0);
}

TEST_F(EmailWindowsTest, EscAsksBeforeATypedMessageIsLostAndNoKeepsIt)
{
    // name, group step 1 (else the single e-mail, whose opener put in a text), subject, text typed,
    // attachment, asked.
    const std::tuple<const char*, bool, const char*, const char*, bool, bool> cases[] = {
        {"step 1 untouched", true, "", "", false, false},
        {"step 1 subject", true, "Kokous", "", false, true},
        {"step 1 attachment", true, "", "", true, true},
        {"single, opener's text", false, "", nullptr, false, false},
        {"single, text edited", false, "", "Muutettu", false, true},
    };
    for (const auto& [name, step1, subject, text, attachment, asks] : cases) {
        for (bool discard : {false, true}) {
            prompter.clear();
            std::unique_ptr<frmSingleEmail> single;
            QWidget* w = step1 ? FormRegistry::open<frmGroupEmail>(QStringLiteral("frmGroupEmail")) : nullptr;
            if (!step1) {
                single = std::make_unique<frmSingleEmail>();
                single->SetMessage(QStringLiteral("Jäsentiedot:\r\nAho Matti"));
                single->show();
                w = single.get();
            }
            Control<QLineEdit>(*w, step1 ? "tAihe" : "tSubject")->setText(QString::fromUtf8(subject));
            if (text)
                Control<QPlainTextEdit>(*w, step1 ? "tTeksti" : "tMessageText")->setPlainText(QString::fromUtf8(text));
            if (attachment)
                Control<QListWidget>(*w, step1 ? "lstLiiteTiedostot" : "lstAttachments")
                    ->addItem(QStringLiteral("/tmp/a.pdf"));
            prompter.answer(discard ? MsgResult::Yes : MsgResult::No);
            QTest::keyClick(w, Qt::Key_Escape);
            QCoreApplication::processEvents();
            const bool open = step1 ? IsFormLoaded(QStringLiteral("frmGroupEmail")) : w->isVisible();
            EXPECT_EQ(prompter.shown().size(), asks ? 1u : 0u) << name;
            EXPECT_EQ(open, asks && !discard) << name << " discard " << discard;
            if (!asks)
                break;
            EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Viestiä ei ole lähetetty. Hylätäänkö kirjoitettu viesti?"));
            EXPECT_EQ(prompter.shown()[0].buttons, MsgButtons::YesNoDefaultNo) << name;
            if (open && step1) {
                prompter.answerYes();
                w->close();
            }
        }
    }
}

} // namespace

namespace {

TEST_F(GroupEmailWindowTest, ScreenshotsWhenAsked)
{
    const QByteArray out = qgetenv("TIKKELI_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP();
    const QString folder = QString::fromLocal8Bit(out);
    member(QStringLiteral("Äijälä"), QStringLiteral("aijala@example.fi"));
    member(QStringLiteral("Öhman"), QString());
    frmSingleEmail single;
    single.SetRecipient(QStringLiteral("aijala@example.fi"));
    single.SetMessage(QStringLiteral("Hei,\r\n\r\nliitteenä jäsentietosi."));
    Control<QListWidget>(single, "lstAttachments")->addItem(QStringLiteral("/home/seura/jasenluettelo.pdf"));
    single.show();
    QApplication::processEvents();
    single.grab().save(folder + QStringLiteral("/frmSingleEmail.png"));
    auto* step1 = FormRegistry::open<frmGroupEmail>(QStringLiteral("frmGroupEmail"));
    Control<QLineEdit>(*step1, "tAihe")->setText(QStringLiteral("Syyskokous"));
    QApplication::processEvents();
    step1->grab().save(folder + QStringLiteral("/frmGroupEmail.png"));
    frmGroupEmail2* w = open(QStringLiteral("Syyskokous"), false);
    ASSERT_NE(w, nullptr);
    QApplication::processEvents();
    w->grab().save(folder + QStringLiteral("/frmGroupEmail2.png"));
}

} // namespace

// Another program restores a backup over the club file while the message goes out: the members
// the run could not reach are of the old file, so no group of them is made in the restored one,
// and the list shows the restored file's members.
TEST_F(GroupEmailWindowTest, NoGroupOfTheOldFilesMembersGoesIntoAFileRestoredDuringTheRun)
{
    SilentServer silent;
    State().SmtpServer = silent.name();
    member(QStringLiteral("Aho"), QStringLiteral("aho@example.fi"));
    frmGroupEmail2* w = open(QStringLiteral("Syyskokous"), true);
    ASSERT_NE(w, nullptr);
    w->setTimeoutMs(1000);
    Control<QPushButton>(*w, "cSendMail")->click();
    ASSERT_TRUE(w->sending());
    test::RestoreChangedCopy(club.path, QStringLiteral("UPDATE jr SET jrSukunimi = 'Palautettu'"));
    // Another window's write meets the restored file.
    EXPECT_THROW(club.db.execute(QStringLiteral("INSERT INTO me (meTeksti) VALUES ('Muu ikkuna')")), DbException);
    prompter.answerYes();
    ASSERT_TRUE(waitUntil([&] { return !w->sending() && !prompter.messageTexts().isEmpty(); }, 60000));
    QCoreApplication::processEvents();
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_FALSE(prompter.messageTexts()[0].contains(QStringLiteral("Luodaanko uusi ryhmä")));
    EXPECT_EQ(test::FileRows(club.path, QStringLiteral("SELECT count(*) FROM pi WHERE piNimi LIKE 'Epäonn.%'")),
              QStringLiteral("0"));
    EXPECT_EQ(selected(Control<QListWidget>(*w, "lstEmailsTo")),
              QStringList{QStringLiteral("Palautettu Matti - aho@example.fi")});
}
