#include "printing/PrintChoices.h"

namespace tikkeli {

PrintChoices& Printing()
{
    static PrintChoices choices;
    return choices;
}

} // namespace tikkeli
