#include "lists/ui/MemberOutputs.h"

#include "base/DesktopShell.h"
#include "base/Folders.h"
#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "db/Database.h"
#include "db/OutputTarget.h"
#include "db/Transaction.h"
#include "lists/AddressExport.h"
#include "lists/MemberListReports.h"
#include "lists/MemberSelection.h"
#include "members/ui/frmHakuehdotJ.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/frmTulJarjValinta.h"
#include "printing/ui/frmTulostus.h"
#include "printing/ui/frmTulostusmuodonValinta.h"

#include <QFileInfo>

namespace tikkeli {

namespace {

const QString PrintFailed = QStringLiteral("Virhe tulostettaessa raporttia: ");

// The print dialog; false when the user cancelled (or closed it).
bool askPrint(QWidget* owner)
{
    frmTulostus dialog(owner);
    dialog.exec();
    return !Printing().PrintCancelled;
}

// Fills the report control through prepare and runs it; a failure is told, nothing printed.
void print(const std::function<void(Database&)>& prepare)
{
    ReportingErrors(PrintFailed, [&] {
        Database db = Database::open(State().DatabasePath);
        // jrMukaan is the invoice run's flag too: it is written and read by the report in one
        // transaction, so no other run's marks slip in between.
        Transaction t(db);
        prepare(db);
        MainReport().setAction(1);
        t.commit();
    });
}

} // namespace

void MemberOutputs::PrintMemberList(QWidget* owner)
{
    if (!frmHakuehdotJ::showModal(owner))
        return;
    {
        frmTulostusmuodonValinta form(owner);
        if (form.exec() != QDialog::Accepted)
            return;
    }
    if (!askPrint(owner))
        return;
    print([](Database& db) {
        MemberListReports::PrintMemberList(db, Criteria(), Printing().TulostusMuoto, Printing().TulostusJarjestys);
    });
}

void MemberOutputs::PrintMemberHistory(QWidget* owner, qint64 memberId)
{
    if (memberId <= 0) {
        ShowInfo(QStringLiteral("Jäsentä ei ole valittuna."));
        return;
    }
    if (!askPrint(owner))
        return;
    print([memberId](Database&) { MemberListReports::MemberHistory(memberId); });
}

void MemberOutputs::PrintGroupHistory(QWidget* owner, qint64 featureId)
{
    if (!askPrint(owner))
        return;
    print([featureId](Database& db) { MemberListReports::GroupHistory(db, qint32(featureId)); });
}

void MemberOutputs::ExportAddresses(QWidget* owner)
{
    if (!frmHakuehdotJ::showModal(owner))
        return;
    {
        frmTulJarjValinta order(owner);
        if (order.exec() != QDialog::Accepted)
            return;
    }
    const QString proposed = AddressExport::ProposedPath();
    FileDialogRequest request;
    request.title = QStringLiteral("Osoitetietojen vienti");
    request.folder = QFileInfo(proposed).absolutePath();
    request.fileName = QFileInfo(proposed).fileName();
    request.filter = QStringLiteral("Excel-työkirjat (*.xlsx)");
    request.defaultSuffix = QStringLiteral("xlsx");
    OutputTarget::guard(request);
    const std::optional<QString> chosen = Prompter::instance().saveFile(request);
    if (!chosen || chosen->trimmed().isEmpty())
        return;
    const QString target = *chosen;
    AddressExport::Result result;
    try {
        Database db = Database::open(State().DatabasePath);
        result = AddressExport::Export(db, Criteria(), Printing().TulostusJarjestys, target);
    } catch (const NumberedError& e) {
        result.failure = AddressExport::FailureMessage(e.description());
    }
    ShowInfo(result.message());
    if (!result.failure)
        (openFile ? openFile : OpenWithShell)(target);
}

} // namespace tikkeli
