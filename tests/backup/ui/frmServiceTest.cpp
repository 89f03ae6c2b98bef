#include "../BackupTestDb.h"

#include "base/ScriptedPrompter.h"
#include "backup/SupportFileSender.h"
#include "backup/ui/frmService.h"
#include "platform/EmailSender.h"
#include "base/SharedState.h"
#include "support/Controls.h"
#include "support/SmtpTestServer.h"

#include <QAction>
#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

class FrmServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        State().SenderEmail = QStringLiteral("sihteeri@eramiehet.fi");
        State().SmtpServer = QStringLiteral("127.0.0.1:1");
        State().SupportEmail = QStringLiteral("tuki@seura.fi");
    }
    void TearDown() override { State() = SharedState{}; }

    BackupTestDb club;
    ScriptedPrompter prompter;
};

} // namespace

TEST_F(FrmServiceTest, OpensWithTheSupportAddressAndTheSender)
{
    frmService w;
    w.show();
    EXPECT_EQ(Control<QLineEdit>(w, "tReceiver")->text(), QStringLiteral("tuki@seura.fi"));
    EXPECT_EQ(Control<QLineEdit>(w, "tSender")->text(), QStringLiteral("sihteeri@eramiehet.fi"));
    EXPECT_TRUE(Control<QPlainTextEdit>(w, "tMessage")->toPlainText().isEmpty());
    EXPECT_TRUE(Control<QPushButton>(w, "cSend")->isEnabled() && Control<QAction>(w, "mSend")->isEnabled());
}

// No support address is set: the window asks for one and says where it is set for good.
TEST_F(FrmServiceTest, AsksTheSupportAddressWhenNoneIsSet)
{
    SmtpTestServer smtp;
    ASSERT_TRUE(smtp.started());
    State().SmtpServer = smtp.server();
    State().SupportEmail.clear();
    frmService w;
    w.show();
    EXPECT_TRUE(Control<QLineEdit>(w, "tReceiver")->text().isEmpty());

    prompter.answerText(std::nullopt);
    QTest::mouseClick(Control<QPushButton>(w, "cSend"), Qt::LeftButton);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, ScriptedPrompter::Kind::Input);
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("Internet asetukset")));
    EXPECT_TRUE(Control<QPushButton>(w, "cSend")->isEnabled());
    EXPECT_TRUE(w.hss() == nullptr || !w.hss()->isSending());

    prompter.clear();
    prompter.answerText(QStringLiteral(" apu@seura.fi "));
    QTest::mouseClick(Control<QPushButton>(w, "cSend"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return prompter.shown().size() >= 2; }, 20000));
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Huoltotiedosto lähetettiin onnistuneesti.")});
    const auto messages = smtp.messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0][QStringLiteral("rcpt_tos")].toArray().at(0).toString(), QStringLiteral("apu@seura.fi"));
}

TEST_F(FrmServiceTest, RefusesAnEmptySenderAndABlankServerWithoutSending)
{
    frmService w;
    w.show();
    Control<QLineEdit>(w, "tSender")->clear();
    QTest::mouseClick(Control<QPushButton>(w, "cSend"), Qt::LeftButton);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Täytä vielä lähettäjän sähköpostiosoite.")});
    EXPECT_TRUE(Control<QPushButton>(w, "cSend")->isEnabled());

    prompter.clear();
    Control<QLineEdit>(w, "tSender")->setText(QStringLiteral("sihteeri@eramiehet.fi"));
    State().SmtpServer = QStringLiteral("   ");
    Control<QAction>(w, "mSend")->trigger();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Asetuksista puuttuu SMTP palvelimen nimi.")});
    EXPECT_TRUE(Control<QPushButton>(w, "cSend")->isEnabled());
    EXPECT_FALSE(w.hss()->isSending());
}

TEST_F(FrmServiceTest, ABlankSenderPassesTheCheckAndFailsInTheComponentKeepingTheWindow)
{
    frmService w;
    w.show();
    Control<QLineEdit>(w, "tSender")->setText(QStringLiteral("  "));
    Control<QPlainTextEdit>(w, "tMessage")->setPlainText(QStringLiteral("Viesti säilyy"));
    QTest::mouseClick(Control<QPushButton>(w, "cSend"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !prompter.shown().empty(); }, 10000));
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(QStringLiteral("Huoltotiedoston lähetys epäonnistui.")));
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(Control<QPushButton>(w, "cSend")->isEnabled());
    EXPECT_EQ(Control<QPlainTextEdit>(w, "tMessage")->toPlainText(), QStringLiteral("Viesti säilyy"));

    // A second press makes a fresh sender.
    SupportFileSender* first = w.hss();
    Control<QLineEdit>(w, "tSender")->setText(QStringLiteral("sihteeri@eramiehet.fi"));
    QTest::mouseClick(Control<QPushButton>(w, "cSend"), Qt::LeftButton);
    EXPECT_NE(w.hss(), first);
    ASSERT_TRUE(waitUntil([&] { return prompter.shown().size() == 2; }, 10000));
}

TEST_F(FrmServiceTest, SendsTheDatabaseAndCloses)
{
    SmtpTestServer smtp;
    ASSERT_TRUE(smtp.started());
    State().SmtpServer = smtp.server();
    frmService w;
    w.show();
    Control<QLineEdit>(w, "tReceiver")->setText(QStringLiteral("tuki@example.fi"));
    Control<QPlainTextEdit>(w, "tMessage")->setPlainText(QStringLiteral("Laskut näyttävät väärää summaa."));
    QTest::mouseClick(Control<QPushButton>(w, "cSend"), Qt::LeftButton);
    EXPECT_FALSE(Control<QPushButton>(w, "cSend")->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return !prompter.shown().empty(); }, 20000));
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Huoltotiedosto lähetettiin onnistuneesti.")});
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(Control<QProgressBar>(w, "pbarSendProgress")->value(), 100);
    const auto messages = smtp.messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0][QStringLiteral("rcpt_tos")].toArray().at(0).toString(), QStringLiteral("tuki@example.fi"));
    EXPECT_TRUE(
        messages[0][QStringLiteral("text")].toString().startsWith(QStringLiteral("Laskut näyttävät väärää summaa.")));
}

TEST_F(FrmServiceTest, ClosingWhileSendingCancelsAndNothingComesBack)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    State().SmtpServer = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    auto* w = new frmService;
    w->show();
    QTest::mouseClick(Control<QPushButton>(*w, "cSend"), Qt::LeftButton);
    ASSERT_TRUE(w->hss()->isSending());
    emit w->hss()->SendProgress(150); // above the maximum: a full bar
    EXPECT_EQ(Control<QProgressBar>(*w, "pbarSendProgress")->value(), 100);
    QTest::qWait(300);
    QTest::mouseClick(Control<QPushButton>(*w, "cCancel"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    delete w;
    EXPECT_TRUE(waitUntilSendsEnd(5000));
    QTest::qWait(50);
    EXPECT_TRUE(prompter.shown().empty());
}
