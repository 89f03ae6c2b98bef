#include "db/Connection.h"
#include "db/Database.h"

#include <QFileInfo>
#include <QHash>
#include <mutex>

namespace tikkeli {

namespace {

std::mutex& registryMutex()
{
    static std::mutex m;
    return m;
}

QHash<QString, std::weak_ptr<Connection>>& registry()
{
    static QHash<QString, std::weak_ptr<Connection>> r;
    return r;
}

std::shared_ptr<Connection> find(const QString& path)
{
    QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QFileInfo(path).absoluteFilePath();
    std::lock_guard lock(registryMutex());
    return registry().value(canonical).lock();
}

} // namespace

std::shared_ptr<Connection> ConnectionRegistry::acquire(const QString& canonicalPath)
{
    std::lock_guard lock(registryMutex());
    auto& r = registry();
    if (auto existing = r.value(canonicalPath).lock())
        return existing;
    auto conn = std::make_shared<Connection>(canonicalPath);
    r.insert(canonicalPath, conn);
    // Forget entries whose last handle has gone.
    for (auto it = r.begin(); it != r.end();) {
        if (it.value().expired())
            it = r.erase(it);
        else
            ++it;
    }
    return conn;
}

bool ConnectionRegistry::closeAll(const QString& path)
{
    auto conn = find(path);
    return !conn || conn->closeNow();
}

bool ConnectionRegistry::isOpen(const QString& path)
{
    auto conn = find(path);
    return conn && conn->isOpenNow();
}

bool ConnectionRegistry::inTransaction(const QString& path)
{
    auto conn = find(path);
    return conn && conn->inTransaction();
}

} // namespace tikkeli
