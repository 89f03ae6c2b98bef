#include "members/ui/MemberInvoicesPanel.h"

#include "ui_MemberInvoicesPanel.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "db/DbError.h"
#include "members/MemberInvoices.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>

namespace tikkeli {

MemberInvoicesPanel::MemberInvoicesPanel(QWidget* parent) : MemberInvoicesPanel(nullptr, parent) {}

MemberInvoicesPanel::MemberInvoicesPanel(std::function<Database()> database, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::MemberInvoicesPanel>()), m_database(std::move(database))
{
    ui->setupUi(this);
    connect(ui->lstMaksut, &QListWidget::currentRowChanged, this, [this] { ShowMemberInvoice(); });
    connect(ui->cMaksetuksi, &QPushButton::clicked, this, &MemberInvoicesPanel::MarkInvoicePaid);
}

MemberInvoicesPanel::~MemberInvoicesPanel() = default;

Database MemberInvoicesPanel::database() const
{
    if (m_database)
        return m_database();
    return m_db;
}

QList<QLabel*> MemberInvoicesPanel::detailLabels() const
{
    return {ui->lblOtsake, ui->lblErapaiva, ui->lblLaskupaiva, ui->lblLaskunumero, ui->lblViitenumero,
            ui->lblHinta,  ui->lblTeksti,   ui->lblJasenmaksu, ui->lblMaksettu};
}

void MemberInvoicesPanel::setMember(const Database& db, qint32 memberId)
{
    m_db = db;
    m_memberId = memberId;
    LoadMemberInvoices();
}

void MemberInvoicesPanel::memberChanged(qint64 id)
{
    if (onShownPage()) {
        setMember(database(), qint32(id));
        return;
    }
    m_db = database();
    m_memberId = qint32(id);
    m_listStale = true;
    // Nothing of the member left is kept for a command to act on.
    if (ui->lstMaksut->count() > 0 || m_shownInvoiceId != 0) {
        const QSignalBlocker block(ui->lstMaksut);
        ui->lstMaksut->clear();
        for (QLabel* l : detailLabels())
            l->clear();
        m_shownInvoiceId = 0;
    }
}

void MemberInvoicesPanel::tabShown()
{
    if (m_listStale && onShownPage())
        LoadMemberInvoices();
}

bool MemberInvoicesPanel::onShownPage() const
{
    const QWidget* child = this;
    for (const QWidget* w = parentWidget(); w; child = w, w = w->parentWidget()) {
        if (const auto* pages = qobject_cast<const QStackedWidget*>(w); pages && pages->currentWidget() != child)
            return false;
        if (w->isWindow())
            break;
    }
    return true;
}

void MemberInvoicesPanel::LoadMemberInvoices()
{
    m_listStale = false;
    {
        const QSignalBlocker block(ui->lstMaksut);
        ui->lstMaksut->clear();
        if (m_memberId != 0) {
            // The list shows what could be read.
            IgnoringErrors("member invoices: list", [&] {
                Database db = m_db.isOpen() ? m_db : database();
                for (const auto& e : MemberInvoices::list(db, m_memberId)) {
                    auto* item = new QListWidgetItem(e.line, ui->lstMaksut);
                    item->setData(Qt::UserRole, e.id);
                }
            });
        }
    }
    for (QLabel* l : detailLabels())
        l->clear();
    m_shownInvoiceId = 0;
}

void MemberInvoicesPanel::ShowMemberInvoice()
{
    const QListWidgetItem* item = ui->lstMaksut->currentItem();
    if (!item || ui->lstMaksut->currentRow() < 0)
        return;
    IgnoringErrors("member invoices: show one", [&] {
        Database db = database();
        const qint32 id = item->data(Qt::UserRole).toInt();
        const auto d = MemberInvoices::details(db, id);
        if (!d)
            return;
        m_shownInvoiceId = id;
        ui->lblOtsake->setText(d->otsake);
        ui->lblErapaiva->setText(d->erapaiva);
        ui->lblLaskupaiva->setText(d->laskupaiva);
        ui->lblLaskunumero->setText(d->laskunumero);
        ui->lblViitenumero->setText(d->viitenumero);
        ui->lblHinta->setText(d->hinta);
        ui->lblTeksti->setText(d->teksti);
        ui->lblJasenmaksu->setText(d->jasenmaksu);
        ui->lblMaksettu->setText(d->maksettu);
    });
}

void MemberInvoicesPanel::MarkInvoicePaid()
{
    const QString reference = ui->lblViitenumero->text();
    try {
        Database db = database();
        const MemberInvoices::MarkOutcome out = MemberInvoices::markPaid(db, m_shownInvoiceId);
        if (!out.found) {
            ShowInfo(MemberInvoices::notFoundMessage(reference));
            return;
        }
        if (out.feePaidMemberId != 0)
            emit memberFeePaid(out.feePaidMemberId);
        ShowMemberInvoice();
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Virhe: ") + e.description());
    } catch (const std::exception& e) {
        ShowWarning(QStringLiteral("Virhe: ") + QString::fromUtf8(e.what()));
    }
}

} // namespace tikkeli
