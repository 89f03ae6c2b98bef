#pragma once

#include "contracts/ContractReports.h"

#include <QObject>
#include <functional>

class QWidget;

namespace tikkeli {

// The contract lists of the contract window's "Raportit" menu: each entry (found by its object
// name under the window) asks its criteria dialogs and the print dialog, then narrows the
// selection and prints. Any dialog left by its close box, or the print dialog cancelled, prints
// nothing and leaves the selection as it was.
class ContractReportMenu : public QObject {
    Q_OBJECT
public:
    // database gives the window's open database; commit writes what is pending on the window
    // first and says whether the list may go on.
    ContractReportMenu(QWidget* window, std::function<Database()> database, std::function<bool()> commit);

    void run(ContractReports::Command command);

private:
    bool askCriteria(ContractReports::Command command, Database& db);

    QWidget* m_window;
    std::function<Database()> m_database;
    std::function<bool()> m_commit;
};

} // namespace tikkeli
