#include "backup/SupportFileSender.h"

#include "backup/DatabaseCopy.h"
#include "base/Clock.h"
#include "platform/EmailSender.h"
#include "platform/ZipWriter.h"
#include "base/SharedState.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThreadPool>

namespace tikkeli {

namespace {
// Share of the bar for the packing; the rest is the upload.
constexpr int PackingShare = 30;
} // namespace

SupportFileSender::SupportFileSender(QObject* parent) : QObject(parent) {}

SupportFileSender::~SupportFileSender()
{
    if (m_guard)
        m_guard->detach();
}

QString SupportFileSender::IdentificationText()
{
    return State().ClubName + QLatin1Char('-') + State().ProgramTitle + QLatin1Char(':')
           + QString::number(TIKKELI_VERSION_MAJOR) + QLatin1Char('.') + QString::number(TIKKELI_VERSION_MINOR)
           + QLatin1Char('.') + QString::number(TIKKELI_VERSION_PATCH);
}

bool SupportFileSender::Send(const QString& message, const QString& identification, const QString& filePath)
{
    if (m_busy)
        return false;
    m_busy = true;
    m_message = message;
    m_identification = identification;
    m_filePath = filePath;

    if (!QFileInfo(filePath).isFile()) {
        fail(QStringLiteral("Tiedostoa %1 ei löydy.").arg(filePath));
        return true;
    }
    m_work = std::make_shared<QTemporaryDir>();
    if (!m_work->isValid()) {
        fail(QStringLiteral("Väliaikaista kansiota ei voitu luoda."));
        return true;
    }
    // The snapshot is quick and must go through the program's own connection, so it is taken here;
    // packing and sending, which take long, run on a worker.
    const QString fileName = QFileInfo(filePath).fileName();
    const QString snapshot = m_work->filePath(fileName);
    if (const auto error = DatabaseCopy::copy(filePath, snapshot)) {
        fail(QStringLiteral("Tietokannan kopiointi ei onnistunut: %1").arg(error->text()));
        return true;
    }
    emit SendProgress(5);

    m_guard = ReceiverGuard::attach(this);
    const QString zipPath = m_work->filePath(fileName + QStringLiteral(".zip"));
    QThreadPool::globalInstance()->start([guard = m_guard, work = m_work, snapshot, zipPath, fileName] {
        const auto error = ZipWriter::zipFile(
            snapshot, zipPath, fileName,
            [&guard](double done) {
                const int value = 5 + static_cast<int>(done * (PackingShare - 5));
                guard->post<SupportFileSender>([value](SupportFileSender* s) { emit s->SendProgress(value); });
            },
            &guard->cancel);
        guard->post<SupportFileSender>([error, zipPath](SupportFileSender* s) {
            s->m_guard.reset();
            if (error)
                s->fail(*error);
            else
                s->mail(zipPath);
        });
    });
    return true;
}

void SupportFileSender::mail(const QString& zipPath)
{
    m_mailer = new EmailSender(this);
    EmailRecipient r;
    r.Address = m_recipient;
    m_mailer->compose({m_server,
                       m_sender,
                       QStringLiteral("Huoltotiedosto ") + m_identification,
                       m_message + QStringLiteral("\r\n\r\nTunniste: ") + m_identification + QStringLiteral("\r\nTiedosto: ")
                           + m_filePath + QStringLiteral("\r\nLähetetty: ")
                           + Now().toString(QStringLiteral("d.M.yyyy H:mm")),
                       {{zipPath}}},
                      {r}, m_timeoutMs);
    connect(m_mailer, &EmailSender::BytesSent, this, [this](qint64 sent, qint64 total) {
        if (total > 0)
            emit SendProgress(PackingShare + static_cast<int>((100 - PackingShare) * sent / total));
    });
    connect(m_mailer, &EmailSender::Finished, this, [this](const EmailRecipients& results, bool) {
        const bool ok = !results.isEmpty() && results.first().Sent;
        const QString reason = results.isEmpty() ? QString() : results.first().Error;
        m_mailer->deleteLater();
        m_mailer = nullptr;
        finish();
        if (ok) {
            emit SendProgress(100);
            emit SendCompletedSuccessfully();
        } else {
            emit SendFailed(reason);
        }
    });
    m_mailer->SendAsync(true);
}

void SupportFileSender::fail(const QString& reason)
{
    finish();
    // Queued, so that the caller of Send has returned before it hears of the failure.
    QMetaObject::invokeMethod(
        this, [this, reason] { emit SendFailed(reason); }, Qt::QueuedConnection);
}

void SupportFileSender::finish()
{
    m_busy = false;
    m_work.reset();
}

} // namespace tikkeli
