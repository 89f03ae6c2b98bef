#pragma once

#include "db/Database.h"

#include <QString>
#include <vector>

namespace tikkeli {

// The estates the estate picker offers: estates whose contract exists and whose register number
// is not Null, in register-number order, optionally only those without or only those with a
// stored boundary.
namespace EstatePicker {

enum class Filter { All, Undrawn, Drawn };

struct Item {
    qint64 tlId = 0;
    QString text; // "12:3 / Tila / Kylä / Kunta"
};

std::vector<Item> items(Database& db, Filter filter);
// "rekNo / tila / kyla / kunta", empty parts kept with their separators.
QString itemText(const QString& rekNo, const QString& tila, const QString& kyla, const QString& kunta);
// The estate of the first item whose text equals the typed text, letter case ignored; 0 for none.
qint64 lookup(const std::vector<Item>& items, const QString& typed);

} // namespace EstatePicker

} // namespace tikkeli
