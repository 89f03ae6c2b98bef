#include "backup/ui/frmService.h"

#include "base/Prompter.h"
#include "base/ui/TextBoxHelpers.h"
#include "base/ui/cMouseCursor.h"
#include "backup/SupportFileSender.h"
#include "base/SharedState.h"
#include "settings/ui/FormPlacement.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tikkeli {

frmService::frmService(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmService"));
    setWindowTitle(QStringLiteral("Tikkeli - Huoltotiedoston lähetys"));

    tSender = new QLineEdit(this);
    tSender->setObjectName(QStringLiteral("tSender"));
    tReceiver = new QLineEdit(this);
    tReceiver->setObjectName(QStringLiteral("tReceiver"));
    tMessage = new QPlainTextEdit(this);
    tMessage->setObjectName(QStringLiteral("tMessage"));
    tMessage->setTabChangesFocus(true);
    pbarSendProgress = new QProgressBar(this);
    pbarSendProgress->setObjectName(QStringLiteral("pbarSendProgress"));
    pbarSendProgress->setRange(0, 100);
    pbarSendProgress->setValue(0);
    cSend = new QPushButton(QStringLiteral("Lähetä"), this);
    cSend->setObjectName(QStringLiteral("cSend"));
    cCancel = new QPushButton(QStringLiteral("Peru"), this);
    cCancel->setObjectName(QStringLiteral("cCancel"));
    cSend->setAutoDefault(false);
    cCancel->setAutoDefault(false);

    menuBar = new QMenuBar(this);
    QMenu* mTiedosto = menuBar->addMenu(QStringLiteral("Tiedosto"));
    mTiedosto->setObjectName(QStringLiteral("mTiedosto"));
    mSend = mTiedosto->addAction(QStringLiteral("Lähetä"));
    mSend->setObjectName(QStringLiteral("mSend"));
    mTiedosto->addSeparator();
    mClose = mTiedosto->addAction(QStringLiteral("Sulje"));
    mClose->setObjectName(QStringLiteral("mClose"));

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Lähettäjä:"), tSender);
    form->addRow(QStringLiteral("Vastaanottaja:"), tReceiver);
    form->addRow(QStringLiteral("Viesti:"), tMessage);
    layout->addLayout(form, 1);
    layout->addWidget(pbarSendProgress);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cSend);
    buttons->addWidget(cCancel);
    layout->addLayout(buttons);
    resize(460, 340);

    connect(cSend, &QPushButton::clicked, this, &frmService::cSend_Click);
    connect(mSend, &QAction::triggered, this, &frmService::cSend_Click);
    connect(cCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(mClose, &QAction::triggered, this, &QDialog::reject);
    for (QWidget* box : {static_cast<QWidget*>(tSender), static_cast<QWidget*>(tReceiver), static_cast<QWidget*>(tMessage)})
        box->installEventFilter(this);

    RestoreFormPlacement(this);
    tReceiver->setText(State().SupportEmail);
    tSender->setText(State().SenderEmail);
    tMessage->setPlainText(QString());
    setSending(false);
}

frmService::~frmService()
{
    releaseSender();
}

bool frmService::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        // After the focus change itself, which would otherwise place the caret over the selection.
        if (auto* line = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, line, [line] { SelectAllText(line); });
        else if (watched == tMessage)
            QTimer::singleShot(0, tMessage, [this] { tMessage->selectAll(); });
    }
    return QDialog::eventFilter(watched, event);
}

void frmService::setSending(bool sending)
{
    cSend->setEnabled(!sending);
    mSend->setEnabled(!sending);
    if (sending) {
        m_cursor = std::make_unique<cMouseCursor>();
        m_cursor->SetCursor(this, BusyPointer);
    } else {
        m_cursor.reset();
    }
}

void frmService::releaseSender()
{
    // Deleting the sender stops its work; nothing of it reaches this window afterwards. Later,
    // because this may run inside one of its own events.
    if (m_hss) {
        m_hss->disconnect(this);
        m_hss->deleteLater();
        m_hss = nullptr;
    }
}

void frmService::cSend_Click()
{
    releaseSender();
    m_hss = new SupportFileSender(this);
    connect(m_hss, &SupportFileSender::SendProgress, this, &frmService::hss_SendProgress);
    connect(m_hss, &SupportFileSender::SendCompletedSuccessfully, this, &frmService::hss_SendCompletedSuccessfully);
    connect(m_hss, &SupportFileSender::SendFailed, this, &frmService::hss_SendFailed);
    repaint();

    if (tReceiver->text().trimmed().isEmpty()) {
        const auto address = Prompter::instance().input(
            QStringLiteral("Tuen sähköpostiosoitetta ei ole asetettu. Sen voi asettaa pysyvästi Asetukset-ikkunan "
                           "välilehdellä Internet asetukset (Tuen sähköpostiosoite).\n\n"
                           "Anna osoite, johon huoltotiedosto lähetetään:"));
        if (!address || address->trimmed().isEmpty())
            return;
        tReceiver->setText(address->trimmed());
    }
    m_hss->SetRecipient(tReceiver->text().trimmed());
    if (tSender->text().isEmpty()) {
        ShowInfo(QStringLiteral("Täytä vielä lähettäjän sähköpostiosoite."));
        return;
    }
    if (State().SmtpServer.trimmed().isEmpty()) {
        ShowInfo(QStringLiteral("Asetuksista puuttuu SMTP palvelimen nimi."));
        return;
    }
    m_hss->SetSender(tSender->text());
    m_hss->SetSmtpServer(State().SmtpServer);

    pbarSendProgress->setValue(0);
    setSending(true);
    repaint();
    m_hss->Send(tMessage->toPlainText(), SupportFileSender::IdentificationText(), State().DatabasePath);
}

void frmService::hss_SendProgress(int value)
{
    pbarSendProgress->setValue(std::min(value, pbarSendProgress->maximum()));
}

void frmService::hss_SendCompletedSuccessfully()
{
    setSending(false);
    repaint();
    ShowInfo(QStringLiteral("Huoltotiedosto lähetettiin onnistuneesti."));
    accept();
}

void frmService::hss_SendFailed(const QString& reason)
{
    setSending(false);
    repaint();
    ShowInfo(reason.isEmpty() ? QStringLiteral("Huoltotiedoston lähetys epäonnistui.")
                              : QStringLiteral("Huoltotiedoston lähetys epäonnistui.\n\n") + reason);
}

void frmService::unload()
{
    // Closing while a send is on its way cancels it.
    releaseSender();
    setSending(false);
    if (!m_placementSaved) {
        SaveFormPlacement(this);
        m_placementSaved = true;
    }
}

void frmService::done(int result)
{
    unload();
    QDialog::done(result);
}

void frmService::closeEvent(QCloseEvent* event)
{
    unload();
    QDialog::closeEvent(event);
}

} // namespace tikkeli
