#include "contracts/ContractNumbers.h"

#include "base/NumericText.h"
#include "base/SharedState.h"
#include "db/Transaction.h"
#include "settings/DatabaseSettingsStore.h"

#include <algorithm>
#include <limits>

namespace tikkeli {

QString ContractNumbers::next(Database& db)
{
    const QString key = QStringLiteral("Sopimusnro");
    Transaction t(db);
    DatabaseSettingsStore store(db, QStringLiteral("TIKKELI"));
    // The program's own counter counts too: the settings window may have set it since the start.
    qint64 number = std::max<qint64>(State().ContractNumberCounter,
                                     WholeNumberText32(store.read(key, QStringLiteral("1"))).value_or(1));
    // Numbers typed by hand take part as well: only numbers of digits alone are numbers.
    const Value largest = db.scalar(QStringLiteral("SELECT MAX(CAST(vsSopimusNo AS INTEGER)) FROM vs "
                                                   "WHERE vsSopimusNo <> '' AND vsSopimusNo NOT GLOB '*[^0-9]*' "
                                                   "AND length(vsSopimusNo) <= 9"));
    if (!largest.isNull())
        number = std::max<qint64>(number, largest.toInt64() + 1);
    if (number >= std::numeric_limits<qint32>::max())
        throw DbException(DbErr::Overflow, QStringLiteral("Ylivuoto"));
    store.write(QString::number(number + 1), key);
    t.commit();
    State().ContractNumberCounter = qint32(number + 1);
    return QString::number(number);
}

} // namespace tikkeli
