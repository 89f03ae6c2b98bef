#pragma once

#include "db/Database.h"
#include "members/FeatureTable.h"

#include <QString>
#include <optional>
#include <vector>

namespace tikkeli {

// An entry of the attach window's lists: the text shown and the record's id.
struct AttachListEntry {
    qint64 id = 0;
    QString text;
};

// A feature definition as the attach window offers it: the enabled kinds and their defaults.
struct AttachDefinition {
    QString kuvaus;
    bool date = false, longValue = false, currency = false, memo = false;
    QString dateDefault, longDefault, currencyDefault, memoDefault;
};

// The typed values; a kind that is not offered is nullopt and its field is not set.
struct AttachValues {
    std::optional<QString> date, longValue, currency, memo;
};

struct AttachResult {
    int added = 0;
    // A box whose text could not be read: nothing was written; refusal names the field (Finnish).
    bool dateRejected = false, longRejected = false, currencyRejected = false;
    std::optional<QString> refusal;
};

// Attaching one feature with the same values to many records at once: members (rows of pt) or
// contracts (rows of mt), as the FeatureTable says.
class FeatureAttach {
public:
    // Members by surname and first name ("Surname First"); members without a surname are left out.
    static std::vector<AttachListEntry> members(Database& db);
    // The table's feature definitions by name; those without a name are left out (never deleted).
    static std::vector<AttachListEntry> features(Database& db, const FeatureTable& t);
    static std::optional<AttachDefinition> definition(Database& db, qint64 piID);
    // One value row per record, all or nothing; with onlyNew a record that has the feature already
    // is skipped. A value that cannot be read refuses the whole attach (result.refusal).
    // DbException when the database refuses (nothing is written then).
    static AttachResult attach(Database& db, const FeatureTable& t, qint64 piID, const std::vector<qint64>& ownerIds,
                               const AttachValues& values, bool onlyNew);
};

} // namespace tikkeli
