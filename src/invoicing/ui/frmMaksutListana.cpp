#include "invoicing/ui/frmMaksutListana.h"

#include "ui_frmMaksutListana.h"

#include "base/Prompter.h"
#include "base/SharedState.h"
#include "ui/cMouseCursor.h"
#include "db/DbError.h"
#include "invoicing/InvoicePayments.h"
#include "ui/ConfiguredDatabaseWindow.h"
#include "ui/FormPlacement.h"
#include "db/ReplacedFile.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>

#include <cmath>

namespace tikkeli {

frmMaksutListana::frmMaksutListana(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::frmMaksutListana>())
{
    ui->setupUi(this);
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Maksujen merkintä"));
    auto* filter = new QButtonGroup(this);
    filter->addButton(ui->optFilter_0, 0);
    filter->addButton(ui->optFilter_1, 1);
    filter->addButton(ui->optFilter_2, 2);
    connect(filter, &QButtonGroup::idClicked, this, &frmMaksutListana::FillGrid);
    ui->grd->setColumnCount(4);
    ui->grd->setHorizontalHeaderLabels(
        {QStringLiteral("ID"), QStringLiteral("Viitenumero"), QStringLiteral("Maksettu"), QStringLiteral("Jäsen")});
    ui->grd->setColumnHidden(0, true);
    ui->grd->verticalHeader()->setVisible(false);
    ui->grd->horizontalHeader()->setStretchLastSection(true);
    // A double click or Enter marks the row; a paid row is never marked twice.
    connect(ui->grd, &QTableWidget::doubleClicked, this, [this](const QModelIndex& index) { MarkGridRowPaid(index.row()); });
    ui->grd->installEventFilter(this);
    ui->grd->viewport()->installEventFilter(this);
    ui->mSulje->setShortcutContext(Qt::WindowShortcut);
    connect(ui->mSulje, &QAction::triggered, this, &QWidget::close);
    RestoreFormPlacement(this);
    OpenWindowDatabase(*this, m_db, [this] { FillGrid(0); });
    // The rows were read from the file: a file put in its place is listed anew, so no invoice of
    // the old one is marked paid in it.
    FollowReplacedFile(
        this, [this] { return m_db.path(); }, [this] { FillGrid(shownFilter()); });
}

int frmMaksutListana::shownFilter() const
{
    return ui->optFilter_2->isChecked() ? 2 : ui->optFilter_1->isChecked() ? 1 : 0;
}

frmMaksutListana::~frmMaksutListana() = default;

bool frmMaksutListana::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->grd->viewport() && event->type() == QEvent::Resize)
        SetColumnWidths();
    if (watched == ui->grd && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            MarkGridRowPaid(ui->grd->currentRow());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMaksutListana::closeEvent(QCloseEvent* event)
{
    SaveFormPlacement(this);
    event->accept();
}

void frmMaksutListana::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    SetColumnWidths();
}

void frmMaksutListana::SetColumnWidths()
{
    const int w = ui->grd->viewport()->width();
    ui->grd->setColumnWidth(1, int(std::lround(w * 0.22)));
    ui->grd->setColumnWidth(2, int(std::lround(w * 0.11)));
}

void frmMaksutListana::FillGrid(int filter)
{
    ui->grd->setRowCount(0);
    if (filter < 0 || filter > 2)
        return;
    SetBusyCursor(this);
    ui->grd->setUpdatesEnabled(false);
    try {
        const auto rows = InvoicePayments::GridRows(m_db, filter);
        ui->grd->setRowCount(int(rows.size()));
        for (int i = 0; i < int(rows.size()); ++i) {
            const auto& r = rows[size_t(i)];
            ui->grd->setItem(i, 0, new QTableWidgetItem(QString::number(r.id)));
            ui->grd->setItem(i, 1, new QTableWidgetItem(r.reference));
            ui->grd->setItem(i, 2, new QTableWidgetItem(r.paid ? QStringLiteral("Kyllä") : QStringLiteral("Ei")));
            ui->grd->setItem(i, 3, new QTableWidgetItem(r.member));
        }
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Virhe: ") + e.description());
    }
    ui->grd->setUpdatesEnabled(true);
    SetDefaultCursor(this);
    SetColumnWidths();
}

void frmMaksutListana::MarkGridRowPaid(int row)
{
    if (row < 0 || row >= ui->grd->rowCount())
        return;
    QTableWidgetItem* paid = ui->grd->item(row, 2);
    QTableWidgetItem* id = ui->grd->item(row, 0);
    if (!paid || !id || paid->text() == QLatin1String("Kyllä"))
        return;
    bool ok = false;
    const qint64 historyId = id->text().toLongLong(&ok);
    if (!ok)
        return;
    // Another window (the payment book, the reference-payment import) may have deleted the
    // invoice since the grid was filled: its row goes rather than claiming a payment was recorded.
    try {
        if (!InvoicePayments::HistoryRowExists(m_db, historyId)) {
            ui->grd->removeRow(row);
            return;
        }
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Virhe: ") + e.description());
        return;
    }
    if (InvoicePayments::MarkReminderPaid(m_db, historyId))
        paid->setText(QStringLiteral("Kyllä"));
}

} // namespace tikkeli
