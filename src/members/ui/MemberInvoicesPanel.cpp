#include "members/ui/MemberInvoicesPanel.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "db/DbError.h"
#include "members/MemberInvoices.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tikkeli {

MemberInvoicesPanel::MemberInvoicesPanel(std::function<Database()> database, QWidget* parent)
    : QWidget(parent), m_database(std::move(database))
{
    setObjectName(QStringLiteral("MemberInvoicesPanel"));
    lstMaksut = new QListWidget(this);
    lstMaksut->setObjectName(QStringLiteral("lstMaksut"));
    cMaksetuksi = new QPushButton(QStringLiteral("Maksetuksi"), this);
    cMaksetuksi->setObjectName(QStringLiteral("cMaksetuksi"));

    auto* details = new QGridLayout;
    const std::pair<QLabel**, std::pair<const char*, const char*>> rows[] = {
        {&lblOtsake, {"lblOtsake", "Maksun otsake:"}},
        {&lblErapaiva, {"lblErapaiva", "Eräpäivä:"}},
        {&lblLaskupaiva, {"lblLaskupaiva", "Laskupäivä:"}},
        {&lblLaskunumero, {"lblLaskunumero", "Laskunumero:"}},
        {&lblViitenumero, {"lblViitenumero", "Viitenumero:"}},
        {&lblHinta, {"lblHinta", "Hinta:"}},
        {&lblTeksti, {"lblTeksti", "Teksti:"}},
        {&lblJasenmaksu, {"lblJasenmaksu", "Jäsenmaksu:"}},
        {&lblMaksettu, {"lblMaksettu", "Maksettu:"}},
    };
    int row = 0;
    for (const auto& [label, names] : rows) {
        auto* caption = new QLabel(QString::fromUtf8(names.second), this);
        caption->setObjectName(QString::fromLatin1(names.first) + QStringLiteral("Otsikko"));
        *label = new QLabel(this);
        (*label)->setObjectName(QString::fromLatin1(names.first));
        (*label)->setTextInteractionFlags(Qt::TextSelectableByMouse);
        details->addWidget(caption, row, 0);
        details->addWidget(*label, row, 1);
        ++row;
    }
    details->addWidget(cMaksetuksi, row, 1, Qt::AlignLeft);
    details->setRowStretch(row + 1, 1);
    details->setColumnStretch(1, 1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lstMaksut, 1);
    layout->addLayout(details, 1);

    connect(lstMaksut, &QListWidget::currentRowChanged, this, [this] { ShowMemberInvoice(); });
    connect(cMaksetuksi, &QPushButton::clicked, this, &MemberInvoicesPanel::MarkInvoicePaid);
}

Database MemberInvoicesPanel::database() const
{
    if (m_database)
        return m_database();
    return m_db;
}

QList<QLabel*> MemberInvoicesPanel::detailLabels() const
{
    return {lblOtsake, lblErapaiva, lblLaskupaiva, lblLaskunumero, lblViitenumero,
            lblHinta,  lblTeksti,   lblJasenmaksu, lblMaksettu};
}

void MemberInvoicesPanel::setMember(const Database& db, qint32 memberId)
{
    m_db = db;
    m_memberId = memberId;
    LoadMemberInvoices();
}

void MemberInvoicesPanel::memberChanged(qint64 id)
{
    setMember(database(), qint32(id));
}

void MemberInvoicesPanel::LoadMemberInvoices()
{
    {
        const QSignalBlocker block(lstMaksut);
        lstMaksut->clear();
        if (m_memberId != 0) {
            // The list shows what could be read.
            IgnoringErrors("member invoices: list", [&] {
                Database db = m_db.isOpen() ? m_db : database();
                for (const auto& e : MemberInvoices::list(db, m_memberId)) {
                    auto* item = new QListWidgetItem(e.line, lstMaksut);
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
    const QListWidgetItem* item = lstMaksut->currentItem();
    if (!item || lstMaksut->currentRow() < 0)
        return;
    IgnoringErrors("member invoices: show one", [&] {
        Database db = database();
        const qint32 id = item->data(Qt::UserRole).toInt();
        const auto d = MemberInvoices::details(db, id);
        if (!d)
            return;
        m_shownInvoiceId = id;
        lblOtsake->setText(d->otsake);
        lblErapaiva->setText(d->erapaiva);
        lblLaskupaiva->setText(d->laskupaiva);
        lblLaskunumero->setText(d->laskunumero);
        lblViitenumero->setText(d->viitenumero);
        lblHinta->setText(d->hinta);
        lblTeksti->setText(d->teksti);
        lblJasenmaksu->setText(d->jasenmaksu);
        lblMaksettu->setText(d->maksettu);
    });
}

void MemberInvoicesPanel::MarkInvoicePaid()
{
    const QString reference = lblViitenumero->text();
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
