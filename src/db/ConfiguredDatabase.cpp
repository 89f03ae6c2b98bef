#include "db/ConfiguredDatabase.h"

#include "base/SharedState.h"

namespace tikkeli {

const QString& CheckDatabaseSettingsText()
{
    static const QString text = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");
    return text;
}

QString CheckDatabaseSettingsMessage(const QString& failure)
{
    return failure.isEmpty() ? CheckDatabaseSettingsText() : CheckDatabaseSettingsText() + QStringLiteral("\r\n") + failure;
}

std::optional<Database> OpenConfiguredDatabase(QString* message)
{
    const QString path = State().DatabasePath;
    if (path.isEmpty() || path == QLatin1String("unknown")) {
        *message = CheckDatabaseSettingsMessage();
        return std::nullopt;
    }
    try {
        return Database::open(path);
    } catch (const DbException& e) {
        *message = CheckDatabaseSettingsMessage(e.description());
        return std::nullopt;
    }
}

} // namespace tikkeli
