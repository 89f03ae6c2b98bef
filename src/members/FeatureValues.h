#pragma once

#include "db/Database.h"
#include "members/FeatureTable.h"

#include <QFlags>
#include <QString>
#include <optional>
#include <vector>

namespace tikkeli {

// The values of features attached to records (members or contracts, as the FeatureTable says):
// listing, attaching, showing, storing and removing them. Definitions come from pi.
class FeatureValues {
public:
    enum Kind { Date = 1, Number = 2, Amount = 4, Memo = 8 };
    Q_DECLARE_FLAGS(Kinds, Kind)

    struct Entry {
        qint32 id = 0; // piID of a definition, the value row's id of an attached feature
        QString name;
    };
    struct Definition {
        qint32 id = 0;
        QString name;
        QString description;
        Kinds enabled;
        Value date, number, amount, memo; // defaults, Null when not given
    };
    struct Values {
        qint32 id = 0;
        qint32 definitionId = 0;
        Value date, number, amount, memo;
    };
    // The texts of the four value boxes.
    struct Texts {
        QString date, number, amount, memo;
    };
    struct SaveOutcome {
        bool found = false;
        bool written = false; // some value differed from the stored one and was written
        Kinds refused;        // boxes whose text is no value of the kind: nothing was written
    };

    // Definitions of the table's kind offered for attaching, by name. A definition without a
    // name is not offered (and never deleted for lacking one).
    static std::vector<Entry> definitions(const FeatureTable& t, Database& db);
    // The record's features (item id = the value row), in the order they were attached; a
    // feature whose definition is gone is left out.
    static std::vector<Entry> ofOwner(const FeatureTable& t, Database& db, qint32 ownerId);
    static std::optional<Definition> definition(Database& db, qint32 definitionId);
    static std::optional<Values> values(const FeatureTable& t, Database& db, qint32 featureId);
    // Attaches a definition to a record; the new row's id, or 0 (nothing written) when the
    // definition or the record is no longer there. With attachCopiesDefaults the row starts with
    // the defaults of the enabled kinds, otherwise it holds only the two links.
    static qint32 attach(const FeatureTable& t, Database& db, qint32 ownerId, qint32 definitionId);
    // Stores the texts of the given kinds, each read by the locale's rules; an empty text stores
    // Null. Only values that differ from the stored ones are written (a box showing the stored
    // value as shownText gives it is no change). When a text cannot be read (or is out of the
    // field's range) nothing at all is written and its kind is in refused.
    static SaveOutcome save(const FeatureTable& t, Database& db, qint32 featureId, Kinds kinds, const Texts& texts);
    // The text a value box shows for a stored value.
    static QString shownText(Kind kind, const Value& stored);
    // False when the row was already gone.
    static bool remove(const FeatureTable& t, Database& db, qint32 featureId);

    // A whole number as a box holds it; nullopt for a text that is none (also beyond the range).
    static std::optional<qint32> parseNumber(const QString& text);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(FeatureValues::Kinds)

} // namespace tikkeli
