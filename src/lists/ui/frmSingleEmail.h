#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmSingleEmail;
}

namespace tikkeli {

class EmailSender;

// "Tikkeli - Sähköpostin lähetys": one message with attachments to one typed address, from the
// sender address of the settings (editable here for this message only). The message goes out on
// the mailer's worker: meanwhile the window's commands are off, a progress bar runs, "Peru" stops
// the send and the window refuses to close. Only a delivered message closes the window; after a
// failure it stays open with the reason. Closing without sending asks first when the user typed a
// subject, a text or an attachment. Layout in frmSingleEmail.ui.
class frmSingleEmail : public QDialog {
    Q_OBJECT
public:
    explicit frmSingleEmail(QWidget* parent = nullptr);
    ~frmSingleEmail() override;

    void SetRecipient(const QString& address);
    void SetMessage(const QString& text);
    // How long the server may stay silent before the message counts as failed.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    bool sending() const { return m_sender != nullptr; }

    void cSend_Click();
    void cCancel_Click();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setBusy(bool busy);
    // A subject, an attachment or a text of the user's own that closing would lose.
    bool typed() const;
    void sent(bool delivered, bool cancelled, const QString& reason);

    std::unique_ptr<Ui::frmSingleEmail> ui;
    std::unique_ptr<EmailSender> m_sender;
    int m_timeoutMs = 30000;
    QString m_givenText;
};

} // namespace tikkeli
