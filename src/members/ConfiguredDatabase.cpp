#include "members/ConfiguredDatabase.h"

#include "base/SharedState.h"

namespace tikkeli {

std::optional<Database> OpenConfiguredDatabase(QString* message)
{
    const QString check = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");
    const QString path = State().DatabasePath;
    if (path.isEmpty() || path == QLatin1String("unknown")) {
        *message = check;
        return std::nullopt;
    }
    try {
        return Database::open(path);
    } catch (const DbException& e) {
        *message = check + QStringLiteral("\r\n") + e.description();
        return std::nullopt;
    }
}

} // namespace tikkeli
