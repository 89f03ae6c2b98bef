#include "lists/ui/DataPrinterWindows.h"

#include "base/SharedState.h"
#include "base/ui/FormRegistry.h"
#include "base/ui/WindowHooks.h"
#include "db/Database.h"
#include "lists/cRapMaaritys.h"
#include "lists/ui/frmGroupEmail.h"
#include "lists/ui/frmRaportinMuokkaus.h"
#include "lists/ui/frmSingleEmail.h"

namespace tikkeli {

namespace {

void openGroupEmail(bool toAll)
{
    auto* w = FormRegistry::open<frmGroupEmail>(QStringLiteral("frmGroupEmail"));
    if (w)
        w->ToAll = toAll;
}

} // namespace

void RegisterTemplateAndEmailWindows()
{
    WindowHooks::set(WindowHook::SingleEmail, [](QWidget* owner, const WindowHookRequest& request) -> qint64 {
        frmSingleEmail dialog(owner);
        dialog.SetRecipient(request.recipient);
        if (request.message)
            dialog.SetMessage(*request.message);
        dialog.exec();
        return 0;
    });
    WindowHooks::set(WindowHook::GroupEmailAll, [](QWidget*, const WindowHookRequest&) -> qint64 {
        openGroupEmail(true);
        return 0;
    });
    WindowHooks::set(WindowHook::GroupEmailFeature, [](QWidget*, const WindowHookRequest&) -> qint64 {
        openGroupEmail(false);
        return 0;
    });
    WindowHooks::set(WindowHook::ReportTemplateEditor, [](QWidget* owner, const WindowHookRequest&) -> qint64 {
        frmRaportinMuokkaus editor(owner);
        if (editor.isLoaded())
            editor.exec();
        return 0;
    });
    WindowHooks::setMenu(MenuHook::ReportTemplates, [] {
        QList<HookMenuEntry> entries;
        Database db = Database::open(State().DatabasePath);
        for (const cRapMaaritys::Entry& e : cRapMaaritys::List(db))
            entries.append({e.id, e.name});
        return entries;
    });
}

} // namespace tikkeli
