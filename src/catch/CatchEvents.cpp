#include "catch/CatchEvents.h"

namespace tikkeli {

CatchEvents& CatchEvents::instance()
{
    static CatchEvents events;
    return events;
}

} // namespace tikkeli
