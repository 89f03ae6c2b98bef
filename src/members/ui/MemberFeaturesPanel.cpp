#include "members/ui/MemberFeaturesPanel.h"

namespace tikkeli {

MemberFeaturesPanel::MemberFeaturesPanel(QWidget* parent) : MemberFeaturesPanel(nullptr, parent) {}

MemberFeaturesPanel::MemberFeaturesPanel(std::function<Database()> database, QWidget* parent) : FeaturesPanel(parent)
{
    setObjectName(QStringLiteral("MemberFeaturesPanel"));
    setDatabase(std::move(database));
}

void MemberFeaturesPanel::setDatabase(std::function<Database()> database)
{
    setTable(FeatureTable::members(), std::move(database), QStringLiteral("Tallenna jäsen ennen ominaisuuden lisäämistä."));
}

void MemberFeaturesPanel::memberChanged(qint64 id)
{
    setMember(database(), qint32(id));
}

} // namespace tikkeli
