#pragma once

#include "db/Database.h"

namespace tikkeli {

// The estate the mouse is over, as the map window names it: municipality, village, estate or
// parcel and registration number joined by " : ", each missing value empty; "" for no estate
// (an id below 1 or one without a row).
QString EstateCaption(Database& db, qint64 estateId);

} // namespace tikkeli
