#pragma once

#include <QString>
#include <QtGlobal>

namespace tikkeli {

class Database;

// The name of feature definition piID; "" when there is no such definition or its name is Null.
QString FeatureName(Database& db, qint32 piID);

} // namespace tikkeli
