#include "printing/PrintChoices.h"

namespace tikkeli {

PrintChoices& Printing()
{
    static PrintChoices choices;
    return choices;
}

PrinterSetupChoice& PrinterSetup()
{
    static PrinterSetupChoice choice;
    return choice;
}

} // namespace tikkeli
