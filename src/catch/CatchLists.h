#pragma once

#include "db/Database.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tikkeli {

// One catch in the catch tree: its node key is the row's id, its text date, place and shooter.
struct CatchTreeEntry {
    qint64 id = 0;
    QString text;
    bool operator==(const CatchTreeEntry&) const = default;
};

// A species of the catch tree with its catches in table order.
struct CatchSpeciesBranch {
    QString species;
    std::vector<CatchTreeEntry> catches;
    bool operator==(const CatchSpeciesBranch&) const = default;
};

// The lists the catch windows offer, read from the club database.
class CatchLists {
public:
    // The species of the catch list in alphabetical order, each species once in the spelling of
    // its first stored row. withNull: a row without a species gives an empty item (the entry
    // window lists it), else it is left out.
    static QStringList species(Database& db, bool withNull);
    // Every member as "Sukunimi Etunimi" in name order; equal names are kept.
    static QStringList shooters(Database& db);
    // The estates of the lease contracts as catch places: "kylä, tila", or with extended estate
    // information "kunta, kylä, tila, rekisterinumero", each once and in order.
    static QStringList places(Database& db, bool extended);
    // The catch tree: a branch per species of species(), in its order, each with its catches in
    // table order. Catches without a species are in no branch.
    static std::vector<CatchSpeciesBranch> tree(Database& db);
    // One species however its letters are cased: "hirvi" is "Hirvi". The one rule by which the
    // lists, the tree, the counts, the report's selection and the species delete tell species
    // apart: the database's LIKE, which compares letters case-folded, with a pattern that matches
    // the species' own text only.
    static bool sameSpecies(const QString& a, const QString& b);
    // "siLaji LIKE ? ESCAPE '\'", for a query's rows of one species bound as speciesPattern().
    static QString speciesCondition();
    static QString speciesPattern(const QString& species);
    // A catch node's text: "d.M.yyyy, place, shooter", a missing part as empty text.
    static QString nodeText(const Value& date, const Value& place, const Value& shooter);
};

} // namespace tikkeli
