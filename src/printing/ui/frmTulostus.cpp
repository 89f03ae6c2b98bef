#include "printing/ui/frmTulostus.h"
#include "ui/DefaultButton.h"
#include "ui_frmTulostus.h"

#include "base/ErrorHandling.h"
#include "base/NullConversions.h"
#include "base/NumericText.h"
#include "base/Prompter.h"
#include "db/OutputTarget.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/ReportPrinting.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

namespace tikkeli {

namespace {
constexpr int MaxCopies = 999;
}

frmTulostus::frmTulostus(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmTulostus>())
{
    ui->setupUi(this);
    // Every print passes through this dialog first, so the pages always have somewhere to go.
    InstallReportOutput();
    ui->tKopioita->installEventFilter(this);

    connect(ui->cTulosta, &QPushButton::clicked, this, &frmTulostus::tulosta);
    connect(ui->cTulostin, &QPushButton::clicked, this, &frmTulostus::printerSetup);
    connect(ui->cPeruTulostus, &QPushButton::clicked, this, &frmTulostus::reject);

    DefaultButtonTakesEnter(this);
    RestoreFormPlacement(this);
    SetDestinations(0);
    Printing().PrintDestination = 1;
    ui->tKopioita->setText(QString::number(State().PrintCopies));
}

frmTulostus::~frmTulostus() = default;

void frmTulostus::SetDestinations(int mode)
{
    ui->cmbTulostusLaite->clear();
    if (mode != 1)
        ui->cmbTulostusLaite->addItem(QStringLiteral("Ikkuna"), 0);
    ui->cmbTulostusLaite->addItem(QStringLiteral("Tulostin"), 1);
    ui->cmbTulostusLaite->setCurrentIndex(0);
}

void frmTulostus::tulosta()
{
    const int destination = ui->cmbTulostusLaite->currentData().toInt();
    if (destination == 1 && !mayReplacePrintFile())
        return;
    Printing().PrintDestination = qint16(destination);
    Printing().PrintCancelled = false;
    std::optional<qint16> copies;
    if (auto n = ParseLocaleNumber(ui->tKopioita->text()))
        copies = RoundToInt16(*n);
    // Zero, negative or absurd counts are no number of copies.
    if (copies && *copies >= 1 && *copies <= MaxCopies) {
        State().PrintCopies = *copies;
    } else if (destination == 1) {
        if (!AskYesNo(QStringLiteral("Antamasi kopiomäärä on virheellinen. Haluatko tulostaa yhden kopion?"))) {
            ui->tKopioita->setFocus();
            return;
        }
        State().PrintCopies = 1;
    } else {
        State().PrintCopies = 1;
    }
    accept();
}

void frmTulostus::reject()
{
    // The close box and Esc answer as "Peruuta" does: otherwise the previous print's answer would
    // stand and the report would go to the printer.
    Printing().PrintCancelled = true;
    QDialog::reject();
}

void frmTulostus::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

void frmTulostus::printerSetup()
{
    IgnoringErrors("print window: printer setup", [&] {
        QPrinter printer;
        if (!MainReport().PrinterName.isEmpty())
            printer.setPrinterName(MainReport().PrinterName);
        // The dialog opens with the earlier choices.
        ApplyPrinterSetup(printer);
        const QPageLayout shown = printer.pageLayout();
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("Tikkeli - Tulostin"));
        if (dialog.exec() != QDialog::Accepted)
            return;
        RememberPrinterSetup(printer, shown);
        // The printer dialog asked itself about a file that exists.
        m_fileChosenHere = PrinterSetup().outputFile;
        // A printer or file chosen is where the print is meant to go.
        ui->cmbTulostusLaite->setCurrentIndex(ui->cmbTulostusLaite->findData(1));
    });
}

bool frmTulostus::mayReplacePrintFile()
{
    const QString file = PrinterSetup().outputFile;
    if (file.isEmpty())
        return true;
    // The printer's own dialog let the name through: it knows nothing of club files.
    if (const std::optional<FileError> refused = OutputTarget::refusal(file)) {
        ShowWarning(refused->description + QStringLiteral("\n\nValitse Tulostin-painikkeella toinen tiedosto."));
        ui->cTulostin->setFocus();
        return false;
    }
    if (file == m_fileChosenHere || !QFileInfo::exists(file))
        return true;
    if (Prompter::instance().message(ReplaceFileQuestion(file), MsgIcon::Warning, MsgButtons::YesNoDefaultNo)
        == MsgResult::Yes)
        return true;
    ui->cTulostin->setFocus();
    return false;
}

bool frmTulostus::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->tKopioita && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, ui->tKopioita, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

} // namespace tikkeli
