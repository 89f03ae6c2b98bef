#include "members/ui/MemberWindows.h"

#include "ui/FormRegistry.h"
#include "ui/WindowHooks.h"
#include "ui/WindowOpeners.h"
#include "members/MemberNameSearch.h"
#include "members/ui/frmHaku.h"
#include "members/ui/frmImportData.h"
#include "members/ui/frmJasen.h"
#include "members/ui/frmMoniliitos.h"
#include "members/ui/frmNimiHaku.h"
#include "members/ui/frmPiirre.h"

namespace tikkeli {

void RegisterMemberWindows()
{
    WindowHooks::set(WindowHook::FeatureAttach, [](QWidget*, const WindowHookRequest&) -> qint64 {
        frmMoniliitos::open();
        return 0;
    });

    // The quick search runs on the member window's own database; the name search opens the
    // configured one itself and hands its choice back through SelectedMemberId, which is read only
    // when this search set it: closed any other way, the card must not jump to an earlier find.
    WindowHooks::set(WindowHook::MemberQuickSearch, [](QWidget* owner, const WindowHookRequest&) -> qint64 {
        auto* w = qobject_cast<frmJasen*>(owner);
        if (!w)
            return 0;
        frmHaku haku(w->database(), w);
        haku.exec();
        return haku.HakuJasenID;
    });
    WindowHooks::set(WindowHook::MemberNameSearch, [](QWidget* owner, const WindowHookRequest&) -> qint64 {
        return frmNimiHaku::showModal(owner) ? SelectedMemberId : 0;
    });

    WindowOpeners::set(MainCommand::MemberRegister, [](QWidget*) { frmJasen::Load(); });
    WindowOpeners::set(MainCommand::FeatureCatalogue,
                       [](QWidget*) { FormRegistry::open<frmPiirre>(QStringLiteral("frmPiirre")); });
    WindowOpeners::set(MainCommand::ImportMembers,
                       [](QWidget*) { FormRegistry::open<frmImportData>(QStringLiteral("frmImportData")); });
}

} // namespace tikkeli
