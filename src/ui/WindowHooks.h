#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

class QWidget;

namespace tikkeli {

// Windows that one subsystem's window opens from its own commands while they belong to another
// part of the program. The composition root (each subsystem's Register...Windows) sets them; a
// window whose entry is not set shows the command disabled.
enum class WindowHook {
    MemberQuickSearch,     // frmHaku over the member window (modal): the chosen member's jrID, 0 for none
    MemberNameSearch,      // frmNimiHaku (modal): the chosen member's jrID, 0 for none
    FeatureAttach,         // frmMoniliitos, modeless
    ContractFeatureAttach, // frmMoniliitosMV, modeless
    GroupEmailAll,         // frmGroupEmail to every member, modeless
    GroupEmailFeature,     // frmGroupEmail to the holders of a feature, modeless
    SingleEmail,           // frmSingleEmail (modal) to request.recipient, with request.message when given
    InvoiceRunPrint,       // the invoice print of the invoicing window given as owner
    ReminderPrint,         // the payment book's (owner) reminder print
    ReminderEmail,         // the payment book's (owner) reminder e-mail
    ReminderEmailPreview,  // the payment book's (owner) reminder e-mail preview
    ReferencePayments,     // frmViitemaksut, modeless
    MemberLists,           // "Luettelot ja tarrat" of the member window (owner): criteria, form, print
    MemberPaymentHistory,  // the payment history of the member request.id (0: none shown)
    GroupPaymentHistory,   // the payment history of the holders of feature request.id (0: every member)
    AddressExport,         // "Osoitetietojen vienti" of the member window (owner)
    ReportTemplateEditor,  // frmRaportinMuokkaus (modal)
    ReportTemplatePrint,   // prints the report template request.id (rpID) for the member window (owner)
};

struct WindowHookRequest {
    QString recipient;
    std::optional<QString> message;
    qint64 id = 0; // the record the entry names (see the entry)
};

// A menu whose entries another part of the program provides (id and caption, in menu order).
enum class MenuHook {
    ReportTemplates, // the member window's "Muokattavat Raportit": rpID and template name
};

struct HookMenuEntry {
    qint64 id = 0;
    QString caption;
};

using MenuHookFunction = std::function<QList<HookMenuEntry>()>;

// Runs the window over owner; the result is the chosen record's id where the entry says so, else 0.
using WindowHookFunction = std::function<qint64(QWidget* owner, const WindowHookRequest& request)>;

class WindowHooks {
public:
    static void set(WindowHook hook, WindowHookFunction function);
    static const WindowHookFunction* find(WindowHook hook);
    static bool has(WindowHook hook) { return find(hook) != nullptr; }
    // Runs the entry; 0 when it is not set.
    static qint64 run(WindowHook hook, QWidget* owner, const WindowHookRequest& request = {});
    static void clear();

    static void setMenu(MenuHook hook, MenuHookFunction function);
    static bool hasMenu(MenuHook hook);
    // The entries; none when the hook is not set.
    static QList<HookMenuEntry> menu(MenuHook hook);
};

} // namespace tikkeli
