#include "lists/ui/DataPrinterWindows.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "ui/FormRegistry.h"
#include "ui/WindowHooks.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "lists/DataPrinter.h"
#include "lists/DataPrinterLayout.h"
#include "lists/MemberSelection.h"
#include "lists/TemplateCriteria.h"
#include "lists/cRapMaaritys.h"
#include "lists/ui/frmGroupEmail.h"
#include "lists/ui/frmRaportinMuokkaus.h"
#include "lists/ui/frmSingleEmail.h"
#include "db/ConfiguredDatabase.h"
#include "members/ui/frmHakuehdotJ.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/frmTulJarjValinta.h"
#include "printing/ui/frmTulostus.h"

namespace tikkeli {

namespace {

void openGroupEmail(bool toAll)
{
    auto* w = FormRegistry::open<frmGroupEmail>(QStringLiteral("frmGroupEmail"));
    if (w)
        w->ToAll = toAll;
}

} // namespace

void PrintReportTemplate(QWidget* owner, qint64 templateId)
{
    QString refused;
    std::optional<Database> db = OpenConfiguredDatabase(&refused);
    if (!db) {
        ShowInfo(refused);
        return;
    }
    cRapMaaritys record(*db);
    bool found = false;
    // The menu entry names its template by id: one deleted since the menu was built is gone.
    if (!ReportingErrors(QString(), [&] { found = record.Read(templateId); }))
        return;
    if (!found) {
        ShowInfo(QStringLiteral("Raporttipohjaa ei löydy."));
        return;
    }
    // Each dialog of the chain closed or cancelled ends the print.
    if (!frmHakuehdotJ::showModal(owner))
        return;
    {
        frmTulJarjValinta order(owner);
        if (order.exec() != QDialog::Accepted)
            return;
    }
    {
        frmTulostus dialog(owner);
        dialog.exec();
    }
    if (Printing().PrintCancelled)
        return;
    const DataPrinterSettings& settings = record.RepSettings();
    ReportingErrors(QStringLiteral("Virhe tulostettaessa raporttia: "), [&] {
        auto [rows, criteria] = MemberSelection::WithMarked(*db, Criteria(), [&](Database& marked) {
            const TemplateQuery q = TemplateCriteriaSql(settings, Criteria(), Printing().TulostusJarjestys);
            return std::pair(marked.openRecordset(q.sql, RecordsetType::Snapshot, q.params),
                             TemplateCriteriaText(marked, Criteria()));
        });
        DataPrinterLayout layout;
        layout.Prepare(settings.Orientation());
        DataPrinter printer;
        printer.FontName = State().ReportFontName;
        printer.FontSize = State().ReportFontSize;
        printer.PrintTable(State().ClubName, rows, settings, layout, true, criteria, 1.0);
        ReportEngine& report = MainReport();
        report.Destination = Printing().PrintDestination;
        report.CopiesToPrinter = State().PrintCopies;
        printer.Finish(layout);
    });
}

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
    WindowHooks::set(WindowHook::ReportTemplatePrint, [](QWidget* owner, const WindowHookRequest& request) -> qint64 {
        PrintReportTemplate(owner, request.id);
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
