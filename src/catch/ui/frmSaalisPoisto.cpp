#include "catch/ui/frmSaalisPoisto.h"

#include "ui_frmSaalisPoisto.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "catch/CatchList.h"
#include "catch/CatchLists.h"
#include "ui/ConfiguredDatabaseWindow.h"
#include "ui/FormPlacement.h"
#include "db/ReplacedFile.h"

namespace tikkeli {

frmSaalisPoisto::frmSaalisPoisto(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmSaalisPoisto>())
{
    ui->setupUi(this);
    connect(ui->cPoista, &QPushButton::clicked, this, &frmSaalisPoisto::cPoista_Click);
    connect(ui->cSulje, &QPushButton::clicked, this, &QDialog::reject);
    RestoreFormPlacement(this);
    OpenWindowDatabase(*this, m_db, [this] { FillSpeciesList(); });
    // The species offered are the file's: a file put in place of the one read is listed instead.
    FollowReplacedFile(
        this, [this] { return m_db.path(); }, [this] { FillSpeciesList(); });
}

frmSaalisPoisto::~frmSaalisPoisto() = default;

void frmSaalisPoisto::FillSpeciesList()
{
    ui->cmbLaji->clear();
    ui->cmbLaji->addItems(CatchLists::species(m_db, false));
    ui->cmbLaji->setCurrentIndex(-1);
}

void frmSaalisPoisto::cPoista_Click()
{
    if (!loaded())
        return;
    const QString species = ui->cmbLaji->currentText();
    if (species.isEmpty()) {
        ShowInfo(QStringLiteral("Valitse ensin poistettava laji."));
        ui->cmbLaji->setFocus();
        return;
    }
    if (AskYesNo(QStringLiteral("Poistetaanko '") + species + QStringLiteral("' saalisrivit?"), MsgIcon::Question,
                 State().ProgramTitle)) {
        ReportingErrors(QStringLiteral("Saaliiden poisto ei onnistunut: "),
                        [&] { CatchList::deleteSpecies(m_db, species); });
    }
    // The list follows what is stored, whatever the answer or the outcome; the entry window hears
    // a delete from the hub.
    ReportingErrors(QString(), [this] { FillSpeciesList(); });
}

void frmSaalisPoisto::done(int result)
{
    IgnoringErrors("species delete: save the placement", [this] { SaveFormPlacement(this); });
    QDialog::done(result);
}

} // namespace tikkeli
