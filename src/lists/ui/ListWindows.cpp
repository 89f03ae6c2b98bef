#include "lists/ui/ListWindows.h"

#include "ui/WindowHooks.h"
#include "lists/ui/MemberOutputs.h"
#include "lists/ui/DataPrinterWindows.h"

namespace tikkeli {

void RegisterListWindows()
{
    RegisterTemplateAndEmailWindows();
    WindowHooks::set(WindowHook::MemberLists, [](QWidget* owner, const WindowHookRequest&) -> qint64 {
        MemberOutputs::PrintMemberList(owner);
        return 0;
    });
    WindowHooks::set(WindowHook::MemberPaymentHistory, [](QWidget* owner, const WindowHookRequest& r) -> qint64 {
        MemberOutputs::PrintMemberHistory(owner, r.id);
        return 0;
    });
    WindowHooks::set(WindowHook::GroupPaymentHistory, [](QWidget* owner, const WindowHookRequest& r) -> qint64 {
        MemberOutputs::PrintGroupHistory(owner, r.id);
        return 0;
    });
    WindowHooks::set(WindowHook::AddressExport, [](QWidget* owner, const WindowHookRequest&) -> qint64 {
        MemberOutputs::ExportAddresses(owner);
        return 0;
    });
}

} // namespace tikkeli
