#include "catch/ui/frmSaalisilmTulostus.h"

#include "ui_frmSaalisilmTulostus.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "ui/DefaultButton.h"
#include "ui/WindowTeardown.h"
#include "catch/CatchEntry.h"
#include "catch/CatchLists.h"
#include "ui/ConfiguredDatabaseWindow.h"
#include "ui/SelectAllOnFocus.h"
#include "ui/SuggestionList.h"
#include "ui/FormPlacement.h"
#include "db/ReplacedFile.h"

#include <QLineEdit>

namespace tikkeli {

frmSaalisilmTulostus::frmSaalisilmTulostus(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmSaalisilmTulostus>())
{
    ui->setupUi(this);
    DefaultButtonTakesEnter(this);
    ui->cmbLaji->lineEdit()->setMaxLength(CatchFields::LajiWidth);
    m_lajit = new SuggestionList(ui->cmbLaji);
    for (QLineEdit* box : findChildren<QLineEdit*>())
        box->installEventFilter(this);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmSaalisilmTulostus::cSeuraava_Click);
    RestoreFormPlacement(this);

    const bool opened = OpenWindowDatabase(*this, m_db, [this] { ReadFile(); });
    if (!opened)
        return;
    UpdateCatchSummary();
    // The counts follow the species however it changes: picked, typed or chosen by keyboard.
    connect(ui->cmbLaji, &QComboBox::currentTextChanged, this, [this] { UpdateCatchSummary(); });
    // The permit is the file's: a file put in place of the one read is read instead, so the next
    // step never stores the old file's permit, or one typed over it, into the new file.
    FollowReplacedFile(
        this, [this] { return m_db.path(); },
        [this] {
            ReadFile();
            UpdateCatchSummary();
        });
}

void frmSaalisilmTulostus::ReadFile()
{
    FillSpeciesList(m_db);
    ui->tLupanumero->setText(CatchReport::permitNumber(m_db));
    ui->tLuvansaaja->setText(CatchReport::permitHolder(m_db));
}

frmSaalisilmTulostus::~frmSaalisilmTulostus()
{
    DetachControls(this);
}

void frmSaalisilmTulostus::FillSpeciesList(Database& db)
{
    m_lajit->setItems(CatchLists::species(db, false));
    if (ui->cmbLaji->count() > 0)
        ui->cmbLaji->setCurrentIndex(0);
}

bool frmSaalisilmTulostus::UpdateCatchSummary()
{
    if (!m_db.isOpen())
        return false;
    const bool ok = ReportingErrors(QStringLiteral("Saaliiden laskenta ei onnistunut: "),
                                    [this] { m_counts = CatchCounts::of(m_db, ui->cmbLaji->currentText()); });
    if (!ok)
        m_counts = CatchCounts{};
    const std::pair<QLabel*, int> cells[] = {
        {ui->lblSumAikU, m_counts.adultMales},   {ui->lblSumAikN, m_counts.adultFemales},
        {ui->lblSumAikYht, m_counts.adults()},   {ui->lblSumVasaU, m_counts.calfMales},
        {ui->lblSumVasaN, m_counts.calfFemales}, {ui->lblSumVasaYht, m_counts.calves()},
    };
    for (const auto& [label, n] : cells)
        label->setText(QString::number(n));
    return ok;
}

void frmSaalisilmTulostus::cSeuraava_Click()
{
    // Counted now, so the print shows what is stored when it is handed over.
    if (!UpdateCatchSummary())
        return;
    ReportingErrors(QStringLiteral("Lupatietojen tallennus ei onnistunut: "),
                    [this] { CatchReport::rememberPermit(m_db, ui->tLupanumero->text(), ui->tLuvansaaja->text()); });
    CatchReportRequest& r = m_request;
    r.species = ui->cmbLaji->currentText();
    r.permitNumber = ui->tLupanumero->text();
    r.permitHolder = ui->tLuvansaaja->text();
    r.counts = m_counts;
    r.policePermitsMoose = ui->tPolLupaA->text();
    r.policePermitsDeer = ui->tPolLupaV->text();
    r.area = ui->tPintaala->text();
    r.leftMoose = ui->tJHirvia->text();
    r.leftWhiteTailedDeer = ui->tJValkoH->text();
    r.leftRoeDeer = ui->tJMetsaK->text();
    r.leftFallowDeer = ui->tJKuusiP->text();
    accept();
}

void frmSaalisilmTulostus::done(int result)
{
    IgnoringErrors("catch report window: save the placement", [this] { SaveFormPlacement(this); });
    QDialog::done(result);
}

bool frmSaalisilmTulostus::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        SelectAllOnFocus(watched, event);
    return QDialog::eventFilter(watched, event);
}

} // namespace tikkeli
