#include "members/ConfiguredDatabase.h"

#include "base/SharedState.h"

namespace tikkeli {

const QString& CheckDatabaseSettingsText()
{
    static const QString text = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");
    return text;
}

std::optional<Database> OpenConfiguredDatabase(QString* message)
{
    const QString& check = CheckDatabaseSettingsText();
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
