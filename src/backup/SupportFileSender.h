#pragma once

#include "platform/ReceiverGuard.h"

#include <QObject>
#include <QString>

#include <memory>

class QTemporaryDir;

namespace tikkeli {

class EmailSender;

// Sends a database to the support mailbox (the address the user set in the settings): a consistent snapshot of it, zipped, attached to a
// message that carries the user's text and the program's identification. Set the addresses and
// the server, then Send; the outcome arrives as SendCompletedSuccessfully or SendFailed, after
// SendProgress steps. Destroying the object stops the work; no signal arrives after that.
class SupportFileSender : public QObject {
    Q_OBJECT
public:
    explicit SupportFileSender(QObject* parent = nullptr);
    ~SupportFileSender() override;

    void SetRecipient(const QString& address) { m_recipient = address; }
    void SetSender(const QString& address) { m_sender = address; }
    void SetSmtpServer(const QString& server) { m_server = server; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // "<ClubName>-<ProgramTitle>:<major>.<minor>.<revision>", e.g. "Erämiehet-Tikkeli:7.0.24".
    static QString IdentificationText();

    // Starts the send and returns at once; false when a send of this object is still running.
    bool Send(const QString& message, const QString& identification, const QString& filePath);
    bool isSending() const { return m_busy; }

signals:
    void SendProgress(int value); // 0..100
    void SendCompletedSuccessfully();
    void SendFailed(const QString& reason);

private:
    void mail(const QString& zipPath);
    void fail(const QString& reason);
    void finish();

    QString m_recipient;
    QString m_sender;
    QString m_server;
    int m_timeoutMs = 60000;
    bool m_busy = false;
    QString m_message;
    QString m_identification;
    QString m_filePath;
    std::shared_ptr<ReceiverGuard> m_guard;
    std::shared_ptr<QTemporaryDir> m_work;
    EmailSender* m_mailer = nullptr;
};

} // namespace tikkeli
