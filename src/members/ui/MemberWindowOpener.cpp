#include "members/ui/MemberWindowOpener.h"

#include "app/ui/WindowOpeners.h"
#include "members/MemberNameSearch.h"
#include "members/ui/frmHaku.h"
#include "members/ui/frmJasen.h"
#include "members/ui/frmNimiHaku.h"

namespace tikkeli {

void InstallMemberWindow()
{
    // The quick search runs on the member window's own database; the name search opens the
    // configured one itself and hands its choice back through SelectedMemberId.
    frmJasen::QuickSearch = [](frmJasen& w) -> qint64 {
        frmHaku haku(w.database(), &w);
        haku.exec();
        return haku.HakuJasenID;
    };
    frmJasen::NameSearch = [](frmJasen& w) -> qint64 {
        frmNimiHaku::showModal(&w);
        return SelectedMemberId;
    };
    WindowOpeners::set(MainCommand::MemberRegister, [](QWidget*) { frmJasen::Load(); });
}

} // namespace tikkeli
