#pragma once

#include "db/Database.h"

#include <QSet>
#include <QString>

namespace tikkeli {

// The members holding a feature: the one rule by which every list, tree, invoice run, selection
// and group send picks them. A member holding several values of the feature is picked once.
namespace FeatureHolders {

// A condition on jr's rows with one bound value, the definition's piID; refinement, when given,
// is further conditions on the holder's value row ("AND pt.ptValLong > ?", its values bound after).
QString condition(const QString& refinement = {});
// Holders of any of count features: count bound values, the definitions' piIDs. Safe after NOT: a
// value row without a member never makes the test unknown.
QString conditionAnyOf(std::size_t count);
// The holders' jrIDs.
QSet<qint32> ids(Database& db, qint64 featureId);

} // namespace FeatureHolders

} // namespace tikkeli
