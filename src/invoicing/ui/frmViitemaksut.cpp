#include "invoicing/ui/frmViitemaksut.h"

#include "ui_frmViitemaksut.h"

#include "base/ErrorHandling.h"
#include "base/Folders.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "invoicing/ReferencePaymentMatcher.h"
#include "ui/ConfiguredDatabaseWindow.h"
#include "settings/DatabaseSettingsStore.h"
#include "ui/FormPlacement.h"
#include "db/ReplacedFile.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTimer>

namespace tikkeli {

namespace {

constexpr int IdRole = Qt::UserRole;

// The leading whole number of a text, blanks skipped; 0 when there is none.
qint64 leadingNumber(const QString& text)
{
    QString digits;
    for (QChar c : text) {
        if (c.isSpace() && digits.isEmpty())
            continue;
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        digits += c;
    }
    return digits.left(18).toLongLong();
}

} // namespace

frmViitemaksut::frmViitemaksut(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::frmViitemaksut>())
{
    ui->setupUi(this);
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Viitemaksut"));
    connect(ui->mAvaa, &QAction::triggered, this, &frmViitemaksut::Avaa);
    connect(ui->mSulje, &QAction::triggered, this, &QWidget::close);
    connect(ui->cSulje, &QAbstractButton::clicked, this, &QWidget::close);
    connect(ui->cMaksetuksi, &QAbstractButton::clicked, this, &frmViitemaksut::Maksetuksi);
    connect(ui->cValitseKaikki, &QAbstractButton::clicked, this, [this] { selectAll(true); });
    connect(ui->cPoistaValinnat, &QAbstractButton::clicked, this, [this] { selectAll(false); });
    connect(ui->TabStr1, &QTabWidget::currentChanged, this, [this](int index) { m_tab = index + 1; });
    // The batch shown follows the choice when the user picks one, and when the list is left.
    connect(ui->cmbErat, &QComboBox::activated, this, [this](int index) { ShowBatch(index + 1); });
    ui->cmbErat->installEventFilter(this);
    ui->TabStr1->setCurrentIndex(0);

    RestoreFormPlacement(this);
    OpenWindowDatabase(*this, m_db);
    // The payments were matched with the invoices of the file: a file put in its place is matched
    // anew, so no invoice of the old one is marked paid in it.
    FollowReplacedFile(
        this, [this] { return m_db.path(); },
        [this] {
            if (!m_batches.empty())
                ShowBatch(std::max(ui->cmbErat->currentIndex(), 0) + 1);
        });
}

frmViitemaksut::~frmViitemaksut() = default;

void frmViitemaksut::closeEvent(QCloseEvent* event)
{
    SaveFormPlacement(this);
    event->accept();
}

bool frmViitemaksut::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->cmbErat && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // The combo's own popup takes the focus for a moment; that is no leaving.
        if (reason != Qt::PopupFocusReason && ui->cmbErat->currentIndex() >= 0 && !m_batches.empty())
            ShowBatch(ui->cmbErat->currentIndex() + 1);
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmViitemaksut::Avaa()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Avaa viitemaksutiedosto");
    // Until a file has been chosen the setting holds the program folder, where no bank file ever
    // lies (and which the user cannot fill once the program is installed): start in the documents.
    const QString remembered = State().RefPaymentFolder;
    const bool unset = remembered.trimmed().isEmpty() || QDir::cleanPath(remembered) == QDir::cleanPath(ProgramFolder());
    const QFileInfo last(unset ? DocumentsFolder() : remembered);
    request.folder = last.isDir() ? last.filePath() : last.path();
    request.fileName = last.isDir() ? QString() : last.fileName();
    const std::optional<QString> chosen = Prompter::instance().openFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    State().RefPaymentFolder = *chosen;
    // Remembering the folder is a convenience; the file is opened all the same.
    IgnoringErrors("reference payments: remember the folder", [&] {
        DatabaseSettingsStore(m_db, QStringLiteral("TIKKELI")).write(*chosen, QStringLiteral("ViiteHakemisto"));
    });
    ui->lblTiedosto->setText(*chosen);

    // Lists of a file that does not read whole are never shown, and neither are the previous
    // file's under the new file's name: nothing can be marked from a mixed-up screen.
    std::vector<ReferencePaymentBatch> batches;
    try {
        batches = ReferencePaymentReader().readFile(*chosen);
    } catch (const ReferencePaymentError& e) {
        m_batches.clear();
        ui->cmbErat->clear();
        clearBatch();
        ShowWarning(e.message());
        return;
    }
    m_batches = std::move(batches);
    ui->cmbErat->setEnabled(true);
    ui->cmbErat->clear();
    if (m_batches.empty()) {
        clearBatch();
        ShowInfo(QStringLiteral("Tiedostosta ei löydy viitemaksutietueita."));
        return;
    }
    for (std::size_t i = 0; i < m_batches.size(); ++i)
        ui->cmbErat->addItem(m_batches[i].BatchDate, int(i + 1));
    ShowBatch(1);
    if (m_batches.size() == 1)
        ui->cmbErat->setEnabled(false);
}

void frmViitemaksut::clearBatch()
{
    ui->lstSaapuneet->clear();
    ui->lstTarkistettavat->clear();
    ui->lstVirheet->clear();
    for (QLabel* l : {ui->lblPvm, ui->lblAika, ui->lblPankki, ui->lblLaskuttaja, ui->lblRahayksikko, ui->lblTapKPL,
                      ui->lblTapSUM, ui->lblOikKPL, ui->lblOikSUM, ui->lblEpaKPL, ui->lblEpaSUM})
        l->clear();
}

void frmViitemaksut::ShowBatch(int n)
{
    if (n < 1 || n > int(m_batches.size()))
        return;
    const ReferencePaymentBatch& batch = m_batches[std::size_t(n - 1)];
    ui->cmbErat->setCurrentIndex(n - 1);
    ui->lblAika->setText(batch.BatchTime);
    ui->lblPvm->setText(batch.BatchDate);
    ui->lblLaskuttaja->setText(batch.BillerId);
    ui->lblPankki->setText(batch.BankGroupId);
    ui->lblRahayksikko->setText(QStringLiteral("Euro"));
    const ReferencePaymentSummary& s = batch.Summary;
    ui->lblTapKPL->setText(QString::number(leadingNumber(s.PaymentCount)));
    ui->lblTapSUM->setText(ReferencePaymentMatcher::FormatCents(leadingNumber(s.PaymentSum)));
    ui->lblOikKPL->setText(QString::number(leadingNumber(s.CorrectionCount)));
    ui->lblOikSUM->setText(ReferencePaymentMatcher::FormatCents(leadingNumber(s.CorrectionSum)));
    ui->lblEpaKPL->setText(QString::number(leadingNumber(s.FailedCount)));
    ui->lblEpaSUM->setText(ReferencePaymentMatcher::FormatCents(leadingNumber(s.FailedSum)));

    ui->lstSaapuneet->clear();
    ui->lstTarkistettavat->clear();
    ui->lstVirheet->clear();
    std::vector<ReferencePaymentMatcher::Match> matches;
    try {
        matches = ReferencePaymentMatcher(m_db).match(batch);
    } catch (const std::exception& e) {
        ShowWarning(QStringLiteral("Virhe: ") + QString::fromStdString(e.what()));
        return;
    }
    std::vector<ListRow> arrived, toCheck, wrongSum;
    for (ReferencePaymentMatcher::Match& m : matches) {
        std::vector<ListRow>& rows = m.outcome == ReferencePaymentMatcher::Outcome::Arrived    ? arrived
                                     : m.outcome == ReferencePaymentMatcher::Outcome::WrongSum ? wrongSum
                                                                                               : toCheck;
        rows.push_back({std::move(m.text), m.historyId});
    }
    fillList(ui->lstSaapuneet, arrived);
    fillList(ui->lstTarkistettavat, toCheck);
    fillList(ui->lstVirheet, wrongSum);
}

void frmViitemaksut::Maksetuksi()
{
    QListWidget* list = ui->lstSaapuneet;
    // The selected rows in list order, read from the selection itself rather than asking each row.
    std::vector<bool> chosen(std::size_t(list->count()), false);
    for (const QItemSelectionRange& r : list->selectionModel()->selection())
        for (int row = r.top(); row <= r.bottom(); ++row)
            chosen[std::size_t(row)] = true;
    std::vector<qint64> ids;
    std::vector<ListRow> kept;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        if (chosen[std::size_t(i)])
            ids.push_back(item->data(IdRole).toLongLong());
        else
            kept.push_back({item->text(), item->data(IdRole).toLongLong()});
    }
    if (ids.empty())
        return;
    if (!ReferencePaymentMatcher::markPaid(m_db, ids, ui->chkPoistamaksettu->isChecked()))
        return;
    // The rows left are put back in one go: taking the marked ones out one at a time shifts the
    // rest of the list each time.
    fillList(list, kept);
}

void frmViitemaksut::fillList(QListWidget* list, const std::vector<ListRow>& rows)
{
    list->clear();
    QStringList texts;
    texts.reserve(qsizetype(rows.size()));
    for (const ListRow& r : rows)
        texts.push_back(r.text);
    // One insertion for the whole list; the ids are no shown data, so giving them tells the view nothing.
    list->addItems(texts);
    const QSignalBlocker quiet(list->model());
    for (std::size_t i = 0; i < rows.size(); ++i)
        list->item(int(i))->setData(IdRole, rows[i].historyId);
}

void frmViitemaksut::selectAll(bool selected)
{
    // One call for the whole list: item by item the view re-sorts its selection each time.
    if (selected)
        ui->lstSaapuneet->selectAll();
    else
        ui->lstSaapuneet->clearSelection();
}

} // namespace tikkeli
