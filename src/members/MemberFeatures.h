#pragma once

#include "members/FeatureValues.h"

namespace tikkeli {

// The features attached to members: definitions of table pi with piType 1, values in table pt.
class MemberFeatures : public FeatureValues {
public:
    static std::vector<Entry> definitions(Database& db) { return FeatureValues::definitions(table(), db); }
    static std::vector<Entry> ofMember(Database& db, qint32 memberId) { return ofOwner(table(), db, memberId); }
    static std::optional<Values> values(Database& db, qint32 featureId)
    {
        return FeatureValues::values(table(), db, featureId);
    }
    // Starts with the defaults of the definition's enabled kinds; a missing definition still gives
    // a row holding only the two links.
    static qint32 attach(Database& db, qint32 memberId, qint32 definitionId)
    {
        return FeatureValues::attach(table(), db, memberId, definitionId);
    }
    static SaveOutcome save(Database& db, qint32 featureId, Kinds kinds, const Texts& texts)
    {
        return FeatureValues::save(table(), db, featureId, kinds, texts);
    }
    static bool remove(Database& db, qint32 featureId) { return FeatureValues::remove(table(), db, featureId); }

private:
    static const FeatureTable& table() { return FeatureTable::members(); }
};

} // namespace tikkeli
