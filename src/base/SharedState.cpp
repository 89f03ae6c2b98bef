#include "base/SharedState.h"

namespace tikkeli {

SharedState& State()
{
    static SharedState state;
    return state;
}

} // namespace tikkeli
