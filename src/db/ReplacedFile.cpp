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
// follower reads once the transaction is over, if it still holds that file then.
void readWhenFree(const QPointer<QObject>& follower, const std::function<QString()>& heldPath, const QString& path,
                  const std::function<void()>& readAgain)
{
    if (!follower)
        return;
    if (const QString held = heldPath(); held.isEmpty() || held != path)
        return;
    if (!ConnectionRegistry::inTransaction(path)) {
        readAgain();
        return;
    }
    QTimer::singleShot(RetryMs, follower, [follower, heldPath, path, readAgain] {
        IgnoringErrors("replaced file: read again", [&] {
            ReportingErrors(QStringLiteral("Ikkunan päivitys muutoksen jälkeen ei onnistunut: "),
                            [&] { readWhenFree(follower, heldPath, path, readAgain); });
        });
    });
}

} // namespace

QMetaObject::Connection FollowReplacedFile(QObject* follower, std::function<QString()> heldPath,
                                           std::function<void()> readAgain)
{
    return ClubChanges::followReplaced(follower, [follower = QPointer<QObject>(follower), heldPath = std::move(heldPath),
                                                  readAgain = std::move(readAgain)](const QString& path) {
        readWhenFree(follower, heldPath, path, readAgain);
    });
}

} // namespace tikkeli
