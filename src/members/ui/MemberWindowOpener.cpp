#include "members/ui/MemberWindowOpener.h"

#include "app/ui/WindowOpeners.h"
#include "members/ui/MemberCardParts.h"
#include "members/ui/frmJasen.h"

namespace tikkeli {

void InstallMemberWindow()
{
    MemberCardParts::install();
    WindowOpeners::set(MainCommand::MemberRegister, [](QWidget*) { frmJasen::Load(); });
}

} // namespace tikkeli
