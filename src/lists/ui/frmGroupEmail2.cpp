#include "lists/ui/frmGroupEmail2.h"

#include "ui_frmGroupEmail2.h"

#include "base/Clock.h"
#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "lists/GroupEmail.h"
#include "lists/ui/GroupEmailParts.h"
#include "members/MemberCriteriaChoices.h"
#include "ui/ConfiguredDatabaseWindow.h"
#include "ui/FormPlacement.h"
#include "db/ReplacedFile.h"
#include "members/FeatureHolders.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace tikkeli {

frmGroupEmail2::frmGroupEmail2(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::frmGroupEmail2>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmGroupEmail2"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Every member always gets a message of their own: no member sees another's address.
    ui->chkSeparately->setChecked(true);
    ui->chkSeparately->setEnabled(false);
    ui->chkSeparately->setToolTip(QStringLiteral("Jokainen vastaanottaja saa oman viestinsä."));
    connect(ui->cmbOminaisuudet, &QComboBox::activated, this, [this] { ApplyFeatureChoice(); });
    connect(ui->cSendMail, &QPushButton::clicked, this, &frmGroupEmail2::cSendMail_Click);
    connect(ui->cPeru, &QPushButton::clicked, this, &frmGroupEmail2::cPeru_Click);
    RestoreFormPlacement(this);

    m_loaded = OpenWindowDatabase(*this, m_db, [this] {
        FillMemberList();
        FillFeatureBox();
    });
    if (!m_loaded)
        return;
    ui->cmbOminaisuudet->setCurrentIndex(0);
    ApplyFeatureChoice();
    FollowReplacedFile(
        this, [this] { return m_db.path(); }, [this] { ReadReplacedFile(); });
}

void frmGroupEmail2::ReadReplacedFile()
{
    ++m_fileReads;
    // The members and features were listed from the file that is gone: the lists are read again
    // as on opening, everyone ticked, and nothing ticked against the old file stays.
    ui->lstEmailsTo->clear();
    ui->cmbOminaisuudet->clear();
    FillMemberList();
    FillFeatureBox();
    ApplyFeatureChoice();
}

frmGroupEmail2::~frmGroupEmail2() = default;

bool frmGroupEmail2::sending() const
{
    return m_run && m_run->running();
}

void frmGroupEmail2::setMessage(const EmailAttachments& attachments, const QString& subject, const QString& text)
{
    m_attachments = attachments;
    m_subject = subject;
    m_text = text;
}

void frmGroupEmail2::setToAll(bool toAll)
{
    m_toAll = toAll;
    if (toAll) {
        ui->cmbOminaisuudet->setCurrentIndex(0);
        ApplyFeatureChoice();
    }
    ui->cmbOminaisuudet->setEnabled(!toAll);
    // Locked: every member stays ticked.
    for (int i = 0; i < ui->lstEmailsTo->count(); ++i)
        ui->lstEmailsTo->item(i)->setFlags(memberFlags());
}

Qt::ItemFlags frmGroupEmail2::memberFlags() const
{
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return m_toAll ? flags : flags | Qt::ItemIsUserCheckable;
}

void frmGroupEmail2::FillMemberList()
{
    QListWidget* list = ui->lstEmailsTo;
    // Filled again, the list keeps whom the user ticked; the first fill ticks everyone, as the
    // feature box's "-Kaikki-" it opens with does.
    const bool first = list->count() == 0;
    QSet<int> ticked;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            ticked.insert(list->item(i)->data(Qt::UserRole).toInt());
    }
    // Every row is one line of one height (uniformItemSizes in the .ui): shown, the list sizes the
    // rows in view rather than every member of the club, on each fill and each feature choice.
    list->setUpdatesEnabled(false);
    list->clear();
    for (const GroupEmailMember& m : GroupEmail::Members(m_db)) {
        // Made whole before it joins the list: an item changed inside the list costs time growing
        // with the length of the list.
        auto* item = new QListWidgetItem(m.text);
        item->setData(Qt::UserRole, m.id);
        // The recipients are the ticked members: moving in the list never changes them.
        item->setFlags(memberFlags());
        item->setCheckState(m_toAll || first || ticked.contains(m.id) ? Qt::Checked : Qt::Unchecked);
        list->addItem(item);
    }
    list->setUpdatesEnabled(true);
}

void frmGroupEmail2::FillFeatureBox()
{
    const QVariant chosen = ui->cmbOminaisuudet->currentData();
    ui->cmbOminaisuudet->clear();
    ui->cmbOminaisuudet->addItem(QStringLiteral("-Kaikki-"), -1);
    for (const MemberSearchEntry& f : MemberCriteriaChoices::memberFeatures(m_db))
        ui->cmbOminaisuudet->addItem(f.text, f.jrID);
    const int again = chosen.isValid() ? ui->cmbOminaisuudet->findData(chosen) : -1;
    ui->cmbOminaisuudet->setCurrentIndex(again >= 0 ? again : 0);
}

void frmGroupEmail2::ApplyFeatureChoice()
{
    if (ui->cmbOminaisuudet->currentIndex() < 0)
        return;
    const int feature = ui->cmbOminaisuudet->currentData().toInt();
    QListWidget* list = ui->lstEmailsTo;
    QSet<qint32> holders;
    if (feature != -1) {
        ReportingErrors(QString(), [&] { holders = FeatureHolders::ids(m_db, feature); });
    }
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        const Qt::CheckState ticked = feature == -1 || holders.contains(item->data(Qt::UserRole).toInt()) ? Qt::Checked
                                                                                                          : Qt::Unchecked;
        if (item->checkState() != ticked)
            item->setCheckState(ticked);
    }
}

void frmGroupEmail2::setBusy(bool busy)
{
    ui->cmbOminaisuudet->setEnabled(!busy && !m_toAll);
    ui->lstEmailsTo->setEnabled(!busy);
    ui->cSendMail->setEnabled(!busy);
}

void frmGroupEmail2::cSendMail_Click()
{
    if (!m_loaded || sending())
        return;
    QList<qint32> ids;
    for (int i = 0; i < ui->lstEmailsTo->count(); ++i) {
        QListWidgetItem* item = ui->lstEmailsTo->item(i);
        if (item->checkState() == Qt::Checked)
            ids.append(item->data(Qt::UserRole).toInt());
    }
    if (ids.isEmpty()) {
        ShowInfo(QStringLiteral("Valitse vähintään yksi vastaanottaja."));
        return;
    }
    const QString refused = EmailWindowParts::CheckBeforeSend(m_attachments);
    if (!refused.isEmpty()) {
        ShowInfo(refused);
        return;
    }
    if ((m_subject.trimmed().isEmpty() || m_text.trimmed().isEmpty())
        && !AskYesNo(QStringLiteral("Viestin aihe tai teksti on tyhjä. Lähetetäänkö silti?")))
        return;
    EmailRecipients recipients;
    if (!ReportingErrors(QString(), [&] { recipients = GroupEmail::Recipients(m_db, ids); }))
        return;
    m_run = std::make_unique<GroupEmailRun>();
    m_run->setTimeoutMs(m_timeoutMs);
    connect(m_run.get(), &GroupEmailRun::progress, this, [this](int done, int total) {
        ui->pBar->setMaximum(std::max(total, 1));
        ui->pBar->setValue(std::min(done, ui->pBar->maximum()));
    });
    connect(m_run.get(), &GroupEmailRun::finished, this, &frmGroupEmail2::runEnded, Qt::QueuedConnection);
    setBusy(true);
    ui->pBar->setValue(0);
    m_runFileReads = m_fileReads;
    m_run->start({State().SmtpServer, State().SenderEmail, m_subject, m_text, m_attachments}, recipients);
}

void frmGroupEmail2::runEnded()
{
    setBusy(false);
    const EmailRunReport report = m_run->report();
    const QList<qint32> failed = m_run->failedIds();
    // The group is named by the subject this run sent, whatever the window holds now.
    const QString subject = m_run->message().subject;
    ui->cPeru->setText(QStringLiteral("&Sulje"));
    // The members the run could not reach are of a file that has been replaced meanwhile: no group
    // of them goes into the file now at the path.
    if (failed.isEmpty() || m_runFileReads != m_fileReads) {
        ShowInfo(GroupEmail::ClosingText(report));
        return;
    }
    if (!AskYesNo(GroupEmail::TallyQuestion(report), MsgIcon::Warning))
        return;
    if (!ReportingErrors(QStringLiteral("Ryhmän luonti epäonnistui: "),
                         [&] { GroupEmail::CreateFailedGroup(m_db, subject, failed, Now()); }))
        return;
    // The group is stored; only the box that would show it could not be filled again.
    ReportingErrors(QStringLiteral("Ominaisuuslistan päivitys ei onnistunut: "), [this] { FillFeatureBox(); });
}

void frmGroupEmail2::cPeru_Click()
{
    if (sending()) {
        m_run->cancel();
        return;
    }
    close();
}

void frmGroupEmail2::closeEvent(QCloseEvent* event)
{
    if (sending()) {
        event->ignore();
        return;
    }
    SaveFormPlacement(this);
    event->accept();
}

void frmGroupEmail2::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cPeru_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tikkeli
