#include "contracts/ui/frmMoniliitosMV.h"

#include "ui/FormRegistry.h"
#include "contracts/ContractFeatureAttach.h"

namespace tikkeli {

frmMoniliitosMV::frmMoniliitosMV(QWidget* parent)
    : FeatureAttachWindow({.formName = QStringLiteral("frmMoniliitosMV"),
                           .table = &FeatureTable::contracts(),
                           .ownersTitle = QStringLiteral("Sopimusten valinta"),
                           .ticks = true,
                           .offerOnlyNew = false,
                           .owners = &ContractFeatureAttach::contracts},
                          parent)
{
}

frmMoniliitosMV* frmMoniliitosMV::open()
{
    return FormRegistry::open<frmMoniliitosMV>(QStringLiteral("frmMoniliitosMV"));
}

} // namespace tikkeli
