#include "members/FeatureTable.h"

namespace tikkeli {

const FeatureTable& FeatureTable::members()
{
    static const FeatureTable t{QStringLiteral("pt"), QStringLiteral("ptjrID"), 1, true,
                                QStringLiteral("jr"), QStringLiteral("jrID")};
    return t;
}

const FeatureTable& FeatureTable::contracts()
{
    static const FeatureTable t{QStringLiteral("mt"), QStringLiteral("mtvsID"), 2, false,
                                QStringLiteral("vs"), QStringLiteral("vsID")};
    return t;
}

} // namespace tikkeli
