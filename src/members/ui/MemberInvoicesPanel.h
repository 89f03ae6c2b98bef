#pragma once

#include "db/Database.h"
#include "members/ui/MemberCardPanel.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;

namespace Ui {
class MemberInvoicesPanel;
}

namespace tikkeli {

// The tab "Maksut" of the member card: the member's invoices in the history, their details and
// marking one paid. Layout in MemberInvoicesPanel.ui.
class MemberInvoicesPanel : public QWidget, public MemberCardPanel {
    Q_OBJECT
public:
    // The member window's form places the panel; the window then names its database.
    explicit MemberInvoicesPanel(QWidget* parent = nullptr);
    // database: the card's open database, asked for each time it is needed.
    explicit MemberInvoicesPanel(std::function<Database()> database, QWidget* parent = nullptr);
    ~MemberInvoicesPanel() override;
    void setDatabase(std::function<Database()> database) { m_database = std::move(database); }

    void setMember(const Database& db, qint32 memberId);
    qint32 memberId() const { return m_memberId; }

    // MemberCardPanel. Inside the member window's tabs the list is read only while its tab is
    // the one shown: a move of the card then costs no invoice query the user would not see.
    void memberChanged(qint64 id) override;
    void tabShown() override;

    void LoadMemberInvoices();
    void ShowMemberInvoice();
    void MarkInvoicePaid();

signals:
    // A membership-fee invoice was marked paid: the member's jrJasenmaksu is now True in the
    // database, and a card showing that member must not write its older value back.
    void memberFeePaid(qint32 memberId);

private:
    Database database() const;
    QList<QLabel*> detailLabels() const;
    // False while a tab page holding the panel is not the current one.
    bool onShownPage() const;

    std::unique_ptr<Ui::MemberInvoicesPanel> ui;
    std::function<Database()> m_database;
    Database m_db;
    qint32 m_memberId = 0;
    qint32 m_shownInvoiceId = 0; // jmhID whose details the labels show
    bool m_listStale = false;    // the list shows another member than m_memberId
};

} // namespace tikkeli
