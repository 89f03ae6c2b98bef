#include "members/ui/FeatureWindowOpeners.h"

#include "app/ui/FormRegistry.h"
#include "app/ui/WindowOpeners.h"
#include "members/ui/frmPiirre.h"

namespace tikkeli {

void InstallFeatureWindows()
{
    WindowOpeners::set(MainCommand::FeatureCatalogue,
                       [](QWidget*) { FormRegistry::open<frmPiirre>(QStringLiteral("frmPiirre")); });
}

} // namespace tikkeli
