#include "members/ui/MemberFeaturesPanel.h"

namespace tikkeli {

MemberFeaturesPanel::MemberFeaturesPanel(std::function<Database()> database, QWidget* parent) : FeaturesPanel(parent)
{
    setObjectName(QStringLiteral("MemberFeaturesPanel"));
    setTable(FeatureTable::members(), std::move(database), QStringLiteral("Tallenna jäsen ennen ominaisuuden lisäämistä."));
}

void MemberFeaturesPanel::memberChanged(qint64 id)
{
    setMember(database(), qint32(id));
}

} // namespace tikkeli
