#include "lists/ui/frmSingleEmail.h"

#include "ui_frmSingleEmail.h"

#include "base/Prompter.h"
#include "base/SharedState.h"
#include "lists/ui/GroupEmailParts.h"
#include "ui/SelectAllOnFocus.h"
#include "platform/EmailSender.h"
#include "ui/FormPlacement.h"

#include <QCloseEvent>

namespace tikkeli {

frmSingleEmail::frmSingleEmail(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmSingleEmail>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmSingleEmail"));
    for (QLineEdit* box : {ui->tSender, ui->tRecipient, ui->tSubject})
        SelectAllOnFocus(box);
    ui->tSender->setText(State().SenderEmail);
    connect(ui->cAdd, &QPushButton::clicked, this, [this] { EmailWindowParts::AddAttachment(ui->lstAttachments); });
    connect(ui->cRemove, &QPushButton::clicked, this, [this] { EmailWindowParts::RemoveAttachment(ui->lstAttachments); });
    connect(ui->cSend, &QPushButton::clicked, this, &frmSingleEmail::cSend_Click);
    connect(ui->cCancel, &QPushButton::clicked, this, &frmSingleEmail::cCancel_Click);
    RestoreFormPlacement(this);
}

frmSingleEmail::~frmSingleEmail() = default;

void frmSingleEmail::SetRecipient(const QString& address)
{
    ui->tRecipient->setText(address);
}

void frmSingleEmail::SetMessage(const QString& text)
{
    ui->tMessageText->setPlainText(text);
    m_givenText = ui->tMessageText->toPlainText();
}

bool frmSingleEmail::typed() const
{
    // The text the opener put in (the member's register data) is not the user's work.
    return !ui->tSubject->text().trimmed().isEmpty() || ui->tMessageText->toPlainText() != m_givenText
           || ui->lstAttachments->count() > 0;
}

void frmSingleEmail::setBusy(bool busy)
{
    for (QWidget* w : std::initializer_list<QWidget*>{ui->tSender, ui->tRecipient, ui->tSubject, ui->tMessageText,
                                                      ui->lstAttachments, ui->cAdd, ui->cRemove, ui->cSend})
        w->setEnabled(!busy);
    ui->pBar->setVisible(busy);
    // An unknown length: the bar runs until the server has answered.
    ui->pBar->setRange(0, busy ? 0 : 1);
}

void frmSingleEmail::cSend_Click()
{
    if (m_sender)
        return;
    const QString recipient = ui->tRecipient->text().trimmed();
    if (recipient.isEmpty()) {
        ShowInfo(QStringLiteral("Anna vastaanottajan sähköpostiosoite."));
        ui->tRecipient->setFocus();
        return;
    }
    const EmailAttachments attachments = EmailWindowParts::Attachments(ui->lstAttachments);
    const QString refused = EmailWindowParts::CheckBeforeSend(attachments);
    if (!refused.isEmpty()) {
        ShowInfo(refused);
        return;
    }
    EmailRecipient to;
    to.Address = recipient;
    m_sender = std::make_unique<EmailSender>();
    m_sender->compose({State().SmtpServer, ui->tSender->text().trimmed(), ui->tSubject->text(),
                       ui->tMessageText->toPlainText(), attachments},
                      {to}, m_timeoutMs);
    connect(m_sender.get(), &EmailSender::Finished, this, [this](const EmailRecipients& results, bool cancelled) {
        const bool delivered = !results.isEmpty() && results.first().Sent;
        sent(delivered, cancelled, results.isEmpty() ? QString() : results.first().Error);
    });
    setBusy(true);
    m_sender->SendAsync(false);
}

void frmSingleEmail::sent(bool delivered, bool cancelled, const QString& reason)
{
    // The sender is still emitting; let it go once its signal has returned.
    m_sender.release()->deleteLater();
    setBusy(false);
    if (delivered) {
        ShowInfo(QStringLiteral("Viesti lähetetty."));
        SaveFormPlacement(this);
        accept();
        return;
    }
    if (cancelled) {
        ShowInfo(QStringLiteral("Viestin lähetys peruttiin."));
        return;
    }
    ShowInfo(QStringLiteral("Viestin lähetys epäonnistui.")
             + (reason.isEmpty() ? QString() : QStringLiteral("\r\n") + reason));
}

void frmSingleEmail::cCancel_Click()
{
    if (m_sender) {
        m_sender->Cancel();
        return;
    }
    if (!EmailWindowParts::MayDiscard(typed()))
        return;
    SaveFormPlacement(this);
    QDialog::reject();
}

void frmSingleEmail::reject()
{
    // Esc and the title bar's close stop a running send; otherwise they are Peru.
    cCancel_Click();
}

void frmSingleEmail::closeEvent(QCloseEvent* event)
{
    if (m_sender) {
        event->ignore();
        return;
    }
    SaveFormPlacement(this);
    QDialog::closeEvent(event);
}

} // namespace tikkeli
