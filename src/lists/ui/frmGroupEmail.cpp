#include "lists/ui/frmGroupEmail.h"

#include "ui_frmGroupEmail.h"

#include "base/Prompter.h"
#include "base/SharedState.h"
#include "ui/FormRegistry.h"
#include "lists/GroupEmail.h"
#include "lists/ui/GroupEmailParts.h"
#include "lists/ui/frmGroupEmail2.h"
#include "ui/SelectAllOnFocus.h"
#include "ui/FormPlacement.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace tikkeli {

frmGroupEmail::frmGroupEmail(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::frmGroupEmail>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmGroupEmail"));
    setAttribute(Qt::WA_DeleteOnClose);
    ui->tLahettaja->setText(State().SenderEmail);
    SelectAllOnFocus(ui->tAihe);
    connect(ui->cLisaa, &QPushButton::clicked, this, [this] { EmailWindowParts::AddAttachment(ui->lstLiiteTiedostot); });
    connect(ui->cPoista, &QPushButton::clicked, this, [this] { EmailWindowParts::RemoveAttachment(ui->lstLiiteTiedostot); });
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmGroupEmail::cSeuraava_Click);
    connect(ui->cPeru, &QPushButton::clicked, this, &QWidget::close);
    RestoreFormPlacement(this);
}

frmGroupEmail::~frmGroupEmail() = default;

void frmGroupEmail::cSeuraava_Click()
{
    const EmailAttachments attachments = EmailWindowParts::Attachments(ui->lstLiiteTiedostot);
    const QString subject = ui->tAihe->text();
    const QString text = ui->tTeksti->toPlainText();
    const bool toAll = ToAll;
    // One step 2 serves every group e-mail: while it sends, a new message would change the send
    // under way. This one waits, with its text, until that send has ended.
    if (auto* running = qobject_cast<frmGroupEmail2*>(FormRegistry::find(QStringLiteral("frmGroupEmail2")));
        running && running->sending()) {
        ShowInfo(GroupEmail::SendUnderWayText());
        return;
    }
    // Step 2 opens its own database; when it cannot, it has said so and step 1 stays.
    auto* step2 = FormRegistry::open<frmGroupEmail2>(QStringLiteral("frmGroupEmail2"));
    if (!step2)
        return;
    if (!step2->isLoaded()) {
        step2->close();
        return;
    }
    step2->setMessage(attachments, subject, text);
    step2->setToAll(toAll);
    m_handedOver = true;
    close();
}

bool frmGroupEmail::typed() const
{
    return !ui->tAihe->text().trimmed().isEmpty() || !ui->tTeksti->toPlainText().trimmed().isEmpty()
           || ui->lstLiiteTiedostot->count() > 0;
}

void frmGroupEmail::closeEvent(QCloseEvent* event)
{
    if (!m_handedOver && !EmailWindowParts::MayDiscard(typed())) {
        event->ignore();
        return;
    }
    SaveFormPlacement(this);
    event->accept();
}

void frmGroupEmail::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tikkeli
