#include "contracts/ui/ContractReportMenu.h"

#include "base/Error.h"
#include "base/Prompter.h"
#include "contracts/ui/frmElainehdot.h"
#include "contracts/ui/frmHakuehdot.h"
#include "contracts/ui/frmHakuehdotVoimassaolo.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/frmTulostus.h"
#include "printing/ui/frmTulostusrajoitukset.h"

#include <QAction>
#include <QWidget>

namespace tikkeli {

ContractReportMenu::ContractReportMenu(QWidget* window, std::function<Database()> database, std::function<bool()> commit)
    : QObject(window), m_window(window), m_database(std::move(database)), m_commit(std::move(commit))
{
    for (int i = 0; i < ContractReports::CommandCount; ++i) {
        const auto command = ContractReports::Command(i);
        if (auto* action = window->findChild<QAction*>(ContractReports::menuItem(command)))
            connect(action, &QAction::triggered, this, [this, command] { run(command); });
    }
}

bool ContractReportMenu::askCriteria(ContractReports::Command command, Database& db)
{
    const int dialogs = ContractReports::dialogs(command);
    if (dialogs & ContractReports::AnimalDialog) {
        frmElainehdot d(db, m_window);
        if (!d.load() || d.exec() != QDialog::Accepted || ContractReportCriteria().animals.Keskeytetty)
            return false;
    }
    if (dialogs & ContractReports::ValidityDialog) {
        frmHakuehdotVoimassaolo d(db, m_window);
        if (!d.load() || d.exec() != QDialog::Accepted)
            return false;
    }
    if (dialogs & ContractReports::FeatureDialog) {
        frmHakuehdot d(db, m_window);
        d.OminaisuusTyyppi = 2;
        if (!d.load())
            return false;
        d.setLabelsOffered(ContractReports::offersLabels(command));
        if (d.exec() != QDialog::Accepted)
            return false;
    }
    if (dialogs & ContractReports::RentDialog) {
        frmTulostusrajoitukset* d = frmTulostusrajoitukset::Instance();
        d->exec();
        if (d->VastikeRajaus == -1)
            return false;
        ContractReportCriteria().rent = {d->VastikeRajaus, d->ErapaivaAlku, d->ErapaivaLoppu};
    }
    {
        frmTulostus print(m_window);
        print.exec();
    }
    return !Printing().PrintCancelled;
}

void ContractReportMenu::run(ContractReports::Command command)
{
    if (m_commit && !m_commit())
        return;
    Database db = m_database();
    if (!askCriteria(command, db))
        return;
    try {
        ContractReports::prepare(db, command, ContractReportCriteria());
        MainReport().setAction(1);
    } catch (const NumberedError& e) {
        ShowInfo(QStringLiteral("Virhe tulostettaessa raporttia: ") + e.description());
    }
}

} // namespace tikkeli
