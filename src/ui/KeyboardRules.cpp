#include "ui/KeyboardRules.h"

#include "ui/AltLetters.h"
#include "ui/EnterPressesButton.h"
#include "ui/FocusInView.h"
#include "ui/OptionGroupKeys.h"
#include "ui/ReopenedDialogFocus.h"

namespace tikkeli {

void InstallKeyboardRules()
{
    InstallOptionGroupKeys();
    InstallReopenedDialogFocus();
    InstallAltLetters();
    InstallFocusInView();
    InstallEnterPressesButton();
}

} // namespace tikkeli
