#pragma once

#include "base/Value.h"

#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace tikkeli {

class Recordset;

// One catch (a row of si) as the entry window shows and types it: the texts of its boxes and the
// choices of its option pairs and check boxes. A new catch is an adult male, not "1½", fit for food.
struct CatchEntry {
    QString laji;
    QString pvm; // d.M.yyyy, or empty
    bool aikuinen = true;
    bool uros = true;
    bool puolitoista = false;
    QString paikka;
    QString sarvipiikkiV;
    QString sarvipiikkiO;
    QString kaataja;
    bool kelvoton = false;

    bool operator==(const CatchEntry&) const = default;
};

// Between a catch as typed and the row: the columns' limits, the refusal of a value the row
// cannot hold, and the values written.
class CatchFields {
public:
    static constexpr int LajiWidth = 30;
    static constexpr int PaikkaWidth = 255;
    static constexpr int KaatajaWidth = 50;
    static constexpr int MaxAntlerPoints = 255;

    // The shown catch of the recordset's current row; a Null age or sex shows as adult or male,
    // a Null flag as unchecked.
    static CatchEntry fromRow(const Recordset& rs);
    // The date as the box shows it: d.M.yyyy; empty for Null.
    static QString dateText(const Value& stored);
    // A date box's text when it is left: a date in the short form, an empty text stays empty;
    // nullopt for a text that is no date.
    static std::optional<QString> normalisedDate(const QString& text);

    // Why the catch cannot be stored as typed ("Päivämäärä: "31.2.2026" ei ole päivämäärä."), or
    // nullopt when it can.
    static std::optional<QString> problem(const CatchEntry& entry);
    // The columns and their values for a catch that passed problem(); an empty text is Null.
    static std::vector<std::pair<QString, Value>> values(const CatchEntry& entry);
};

} // namespace tikkeli
