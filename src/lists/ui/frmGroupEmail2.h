#pragma once

#include "db/Database.h"
#include "platform/EmailAttachment.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmGroupEmail2;
}

namespace tikkeli {

class GroupEmailRun;

// "Tikkeli - Ryhmäsähköposti 2 / 2": the recipients of a group e-mail and the send. The member
// list shows every member with a check box; a feature chosen in "Ominaisuus:" ticks its holders
// ("-Kaikki-" everybody), and the user may tick and untick by hand unless the window sends to all. Each
// selected member gets a message of their own; the run goes on the mailer's worker with the
// window's commands off, a progress bar and "Peru" stopping it, and the window refuses to close
// until it has ended. When some failed, the user may gather them into a new member feature. Opens
// the configured database itself; when that fails it says so and isLoaded() is false.
// Layout in frmGroupEmail2.ui.
class frmGroupEmail2 : public QWidget {
    Q_OBJECT
public:
    explicit frmGroupEmail2(QWidget* parent = nullptr);
    ~frmGroupEmail2() override;

    bool isLoaded() const { return m_loaded; }
    // What step 1 hands over.
    void setMessage(const EmailAttachments& attachments, const QString& subject, const QString& text);
    // True: every member is selected and the list and the feature box are locked.
    void setToAll(bool toAll);
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    bool sending() const;

    void cSendMail_Click();
    void cPeru_Click();
    // Ticks the members the feature box's choice names, and only them.
    void ApplyFeatureChoice();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The file was replaced under the window (another program restored a backup over it).
    void ReadReplacedFile();
    void FillMemberList();
    // A member entry's flags: ticking by hand only when the window does not send to all.
    Qt::ItemFlags memberFlags() const;
    void FillFeatureBox();
    void setBusy(bool busy);
    void runEnded();

    std::unique_ptr<Ui::frmGroupEmail2> ui;
    Database m_db;
    bool m_loaded = false;
    bool m_toAll = false;
    int m_timeoutMs = 30000;
    EmailAttachments m_attachments;
    QString m_subject;
    QString m_text;
    std::unique_ptr<GroupEmailRun> m_run;
    int m_fileReads = 0;    // replaced files read again
    int m_runFileReads = 0; // ... when the run began
};

} // namespace tikkeli
