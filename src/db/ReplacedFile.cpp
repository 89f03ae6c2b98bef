#include "db/ReplacedFile.h"

#include "base/ErrorHandling.h"
#include "db/ClubChanges.h"
#include "db/Database.h"

#include <QPointer>
#include <QTimer>

namespace tikkeli {

namespace {

// How often a follower looks again whether the command that met the new file has let go of the old
// one.
constexpr int RetryMs = 20;

// A command that met the new file may tell so while its transaction still holds the old one open
// (the message shown inside it): what is read through that transaction is the old file's. The
// follower reads once the transaction is over.
void readWhenFree(const QPointer<QObject>& window, const QString& path, const std::function<void()>& readAgain)
{
    if (!ConnectionRegistry::inTransaction(path)) {
        readAgain();
        return;
    }
    QTimer::singleShot(RetryMs, window, [window, path, readAgain] {
        IgnoringErrors("replaced file: read again", [&] {
            ReportingErrors(QStringLiteral("Ikkunan päivitys muutoksen jälkeen ei onnistunut: "),
                            [&] { readWhenFree(window, path, readAgain); });
        });
    });
}

} // namespace

QMetaObject::Connection FollowReplacedFile(QObject* follower, std::function<QString()> heldPath,
                                           std::function<void()> readAgain)
{
    return ClubChanges::followReplaced(follower, [window = QPointer<QObject>(follower), heldPath = std::move(heldPath),
                                                  readAgain = std::move(readAgain)](const QString& path) {
        const QString held = heldPath();
        if (!held.isEmpty() && held == path)
            readWhenFree(window, path, readAgain);
    });
}

} // namespace tikkeli
