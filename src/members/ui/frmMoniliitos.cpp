#include "members/ui/frmMoniliitos.h"

#include "ui/FormRegistry.h"

namespace tikkeli {

frmMoniliitos::frmMoniliitos(QWidget* parent)
    : FeatureAttachWindow({.formName = QStringLiteral("frmMoniliitos"),
                           .table = &FeatureTable::members(),
                           .ownersTitle = QStringLiteral("Jäsenien valinta"),
                           .ticks = false,
                           .offerOnlyNew = true,
                           .owners = &FeatureAttach::members},
                          parent)
{
}

frmMoniliitos* frmMoniliitos::open()
{
    return FormRegistry::open<frmMoniliitos>(QStringLiteral("frmMoniliitos"));
}

} // namespace tikkeli
