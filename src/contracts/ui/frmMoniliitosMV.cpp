#include "contracts/ui/frmMoniliitosMV.h"

#include "base/ui/FormRegistry.h"
#include "contracts/ContractFeatureAttach.h"
#include "contracts/ui/frmVuokra.h"

namespace tikkeli {

frmMoniliitosMV::frmMoniliitosMV(QWidget* parent)
    : FeatureAttachWindow({.formName = QStringLiteral("frmMoniliitosMV"),
                           .table = &FeatureTable::contracts(),
                           .ownersTitle = QStringLiteral("Sopimusten valinta"),
                           .ticks = true,
                           .offerOnlyNew = false,
                           .owners = &ContractFeatureAttach::contracts,
                           // The contract window shows the new values at once.
                           .attached =
                               [] {
                                   if (frmVuokra* w = frmVuokra::Instance())
                                       w->featureValuesChangedElsewhere();
                               }},
                          parent)
{
}

frmMoniliitosMV* frmMoniliitosMV::open()
{
    return FormRegistry::open<frmMoniliitosMV>(QStringLiteral("frmMoniliitosMV"));
}

} // namespace tikkeli
