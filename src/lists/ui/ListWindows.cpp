#include "lists/ui/ListWindows.h"

#include "lists/ui/DataPrinterWindows.h"

namespace tikkeli {

void RegisterListWindows()
{
    RegisterTemplateAndEmailWindows();
}

} // namespace tikkeli
