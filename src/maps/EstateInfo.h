#pragma once

#include "db/Database.h"

#include <QString>

namespace tikkeli {

// The texts of the estate information window for one estate and its contract.
struct EstateInfoTexts {
    QString omistaja;    // vsNimi, the lessor
    QString kunta;       // tlKunta
    QString kyla;        // tlKyla
    QString tilaPalsta;  // tlTilaPalsta
    QString rekNo;       // tlRekNo
    QString voimassaolo; // "Toistaiseksi", "1.5.2020 - 30.4.2030"
    QString pintaAla;    // tlPa with two decimals and a decimal comma
    QString koskee;      // "Kaikkea metsästystä", "Ei koske: karhu", ...

    bool operator==(const EstateInfoTexts&) const = default;
};

namespace EstateInfo {

// The texts for the estate. An id without a row shows empty texts and a zero area; an estate
// without a contract (none given, or its row gone) shows no lessor, validity or concern, so
// nothing of an earlier estate is left standing.
EstateInfoTexts load(Database& db, qint64 tlId);

} // namespace EstateInfo

} // namespace tikkeli
