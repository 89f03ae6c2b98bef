#include "printing/ui/frmTulostus.h"

#include "base/ErrorHandling.h"
#include "base/NullConversions.h"
#include "base/NumericText.h"
#include "base/Prompter.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/ReportPrinting.h"
#include "base/SharedState.h"
#include "settings/ui/FormPlacement.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

namespace tikkeli {

namespace {
constexpr int MaxCopies = 999;
}

frmTulostus::frmTulostus(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTulostus"));
    setWindowTitle(QStringLiteral("Tikkeli - Tulostusasetukset"));
    // Every print passes through this dialog first, so the pages always have somewhere to go.
    InstallReportOutput();

    cmbTulostusLaite = new QComboBox(this);
    cmbTulostusLaite->setObjectName(QStringLiteral("cmbTulostusLaite"));
    tKopioita = new QLineEdit(this);
    tKopioita->setObjectName(QStringLiteral("tKopioita"));
    tKopioita->installEventFilter(this);
    cTulosta = new QPushButton(QStringLiteral("Tulosta"), this);
    cTulosta->setObjectName(QStringLiteral("cTulosta"));
    cTulosta->setDefault(true);
    cTulostin = new QPushButton(QStringLiteral("Tulostin"), this);
    cTulostin->setObjectName(QStringLiteral("cTulostin"));
    cTulostin->setAutoDefault(false);
    cPeruTulostus = new QPushButton(QStringLiteral("Peruuta"), this);
    cPeruTulostus->setObjectName(QStringLiteral("cPeruTulostus"));
    cPeruTulostus->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Tulosta:"), this), 0, 0);
    grid->addWidget(cmbTulostusLaite, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Kopioita:"), this), 1, 0);
    grid->addWidget(tKopioita, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cTulosta);
    buttons->addWidget(cTulostin);
    buttons->addWidget(cPeruTulostus);
    auto* layout = new QGridLayout(this);
    layout->addLayout(grid, 0, 0);
    layout->addLayout(buttons, 1, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cTulosta, &QPushButton::clicked, this, &frmTulostus::tulosta);
    connect(cTulostin, &QPushButton::clicked, this, &frmTulostus::printerSetup);
    connect(cPeruTulostus, &QPushButton::clicked, this, &frmTulostus::reject);

    RestoreFormPlacement(this);
    SetDestinations(0);
    Printing().PrintDestination = 1;
    tKopioita->setText(QString::number(State().PrintCopies));
}

frmTulostus::~frmTulostus() = default;

void frmTulostus::SetDestinations(int mode)
{
    cmbTulostusLaite->clear();
    if (mode != 1)
        cmbTulostusLaite->addItem(QStringLiteral("Ikkuna"), 0);
    cmbTulostusLaite->addItem(QStringLiteral("Tulostin"), 1);
    cmbTulostusLaite->setCurrentIndex(0);
}

void frmTulostus::tulosta()
{
    const int destination = cmbTulostusLaite->currentData().toInt();
    Printing().PrintDestination = qint16(destination);
    Printing().PrintCancelled = false;
    std::optional<qint16> copies;
    if (auto n = ParseLocaleNumber(tKopioita->text()))
        copies = RoundToInt16(*n);
    // Zero, negative or absurd counts are no number of copies.
    if (copies && *copies >= 1 && *copies <= MaxCopies) {
        State().PrintCopies = *copies;
    } else if (destination == 1) {
        if (!AskYesNo(QStringLiteral("Antamasi kopiomäärä on virheellinen. Haluatko tulostaa yhden kopion?"))) {
            tKopioita->setFocus();
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
    });
}

bool frmTulostus::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tKopioita && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, tKopioita, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

} // namespace tikkeli
