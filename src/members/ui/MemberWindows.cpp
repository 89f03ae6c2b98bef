#include "members/ui/MemberWindows.h"

#include "base/ui/FormRegistry.h"
#include "base/ui/WindowOpeners.h"
#include "members/FeatureEvents.h"
#include "members/MemberEvents.h"
#include "members/MemberNameSearch.h"
#include "members/ui/MemberCardParts.h"
#include "members/ui/MemberFeaturesPanel.h"
#include "members/ui/frmHaku.h"
#include "members/ui/frmImportData.h"
#include "members/ui/frmJasen.h"
#include "members/ui/frmMoniliitos.h"
#include "members/ui/frmNimiHaku.h"
#include "members/ui/frmPiirre.h"

namespace tikkeli {

void RegisterMemberWindows()
{
    MemberCardParts::install();
    MemberCardParts::Moniliitos = [](QWidget*) { frmMoniliitos::open(); };

    // The quick search runs on the member window's own database; the name search opens the
    // configured one itself and hands its choice back through SelectedMemberId, which is read only
    // when this search set it: closed any other way, the card must not jump to an earlier find.
    frmJasen::QuickSearch = [](frmJasen& w) -> qint64 {
        frmHaku haku(w.database(), &w);
        haku.exec();
        return haku.HakuJasenID;
    };
    frmJasen::NameSearch = [](frmJasen& w) -> qint64 {
        return frmNimiHaku::showModal(&w) ? SelectedMemberId : 0;
    };

    // The feature windows change definitions and member values behind the member window's back;
    // an open member window follows at once instead of at its next requery.
    FeatureEvents::setDefinitionsChanged([] {
        if (frmJasen* w = frmJasen::Instance()) {
            w->FillFeatureFilter();
            if (MemberFeaturesPanel* f = MemberCardParts::features(*w))
                f->loadDefinitions();
        }
    });
    // A value typed on the card is written before its list is read again, never dropped.
    FeatureEvents::setMemberValuesChanged([] {
        if (frmJasen* w = frmJasen::Instance()) {
            if (MemberFeaturesPanel* f = MemberCardParts::features(*w))
                f->valuesChangedElsewhere();
            w->MembersChangedElsewhere();
        }
    });
    MemberEvents::setMembersChanged([] {
        if (frmJasen* w = frmJasen::Instance())
            w->MembersChangedElsewhere();
    });

    WindowOpeners::set(MainCommand::MemberRegister, [](QWidget*) { frmJasen::Load(); });
    WindowOpeners::set(MainCommand::FeatureCatalogue,
                       [](QWidget*) { FormRegistry::open<frmPiirre>(QStringLiteral("frmPiirre")); });
    WindowOpeners::set(MainCommand::ImportMembers,
                       [](QWidget*) { FormRegistry::open<frmImportData>(QStringLiteral("frmImportData")); });
}

} // namespace tikkeli
