#pragma once

#include "db/Database.h"
#include "members/ui/MemberCardPanel.h"

#include <QWidget>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace tikkeli {

// The tab "Maksut" of the member card: the member's invoices in the history, their details and
// marking one paid.
class MemberInvoicesPanel : public QWidget, public MemberCardPanel {
    Q_OBJECT
public:
    explicit MemberInvoicesPanel(std::function<Database()> database, QWidget* parent = nullptr);

    void setMember(const Database& db, qint32 memberId);
    qint32 memberId() const { return m_memberId; }

    // MemberCardPanel
    void memberChanged(qint64 id) override;

    void LoadMemberInvoices();
    void ShowMemberInvoice();
    void MarkInvoicePaid();

    QListWidget* lstMaksut;
    QLabel* lblOtsake;
    QLabel* lblErapaiva;
    QLabel* lblLaskupaiva;
    QLabel* lblLaskunumero;
    QLabel* lblViitenumero;
    QLabel* lblHinta;
    QLabel* lblTeksti;
    QLabel* lblJasenmaksu;
    QLabel* lblMaksettu;
    QPushButton* cMaksetuksi;

signals:
    // A membership-fee invoice was marked paid: the member's jrJasenmaksu is now True in the
    // database, and a card showing that member must not write its older value back.
    void memberFeePaid(qint32 memberId);

private:
    Database database() const;
    QList<QLabel*> detailLabels() const;

    std::function<Database()> m_database;
    Database m_db;
    qint32 m_memberId = 0;
    qint32 m_shownInvoiceId = 0; // jmhID whose details the labels show
};

} // namespace tikkeli
