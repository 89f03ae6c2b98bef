#include "backup/ui/frmService.h"
#include "ui_frmService.h"

#include "base/Prompter.h"
#include "ui/TextBoxHelpers.h"
#include "ui/cMouseCursor.h"
#include "backup/SupportFileSender.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace tikkeli {

frmService::frmService(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::frmService>())
{
    m_ui->setupUi(this);

    // A dialog's menu bar sits in its layout; the form file holds the actions.
    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    QMenu* mTiedosto = menuBar->addMenu(QStringLiteral("&Tiedosto"));
    mTiedosto->setObjectName(QStringLiteral("mTiedosto"));
    mTiedosto->addAction(m_ui->mSend);
    mTiedosto->addSeparator();
    mTiedosto->addAction(m_ui->mClose);
    layout()->setMenuBar(menuBar);

    connect(m_ui->cSend, &QPushButton::clicked, this, &frmService::cSend_Click);
    connect(m_ui->mSend, &QAction::triggered, this, &frmService::cSend_Click);
    connect(m_ui->cCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->mClose, &QAction::triggered, this, &QDialog::reject);
    for (QWidget* box : {static_cast<QWidget*>(m_ui->tSender), static_cast<QWidget*>(m_ui->tReceiver),
                         static_cast<QWidget*>(m_ui->tMessage)})
        box->installEventFilter(this);

    RestoreFormPlacement(this);
    m_ui->tReceiver->setText(State().SupportEmail);
    m_ui->tSender->setText(State().SenderEmail);
    m_ui->tMessage->setPlainText(QString());
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
        else if (watched == m_ui->tMessage)
            QTimer::singleShot(0, m_ui->tMessage, [this] { m_ui->tMessage->selectAll(); });
    }
    return QDialog::eventFilter(watched, event);
}

void frmService::setSending(bool sending)
{
    m_ui->cSend->setEnabled(!sending);
    m_ui->mSend->setEnabled(!sending);
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

    if (m_ui->tReceiver->text().trimmed().isEmpty()) {
        const auto address = Prompter::instance().input(
            QStringLiteral("Tuen sähköpostiosoitetta ei ole asetettu. Sen voi asettaa pysyvästi Asetukset-ikkunan "
                           "välilehdellä Internet asetukset (Tuen sähköpostiosoite).\n\n"
                           "Anna osoite, johon huoltotiedosto lähetetään:"));
        if (!address || address->trimmed().isEmpty())
            return;
        m_ui->tReceiver->setText(address->trimmed());
    }
    m_hss->SetRecipient(m_ui->tReceiver->text().trimmed());
    if (m_ui->tSender->text().isEmpty()) {
        ShowInfo(QStringLiteral("Täytä vielä lähettäjän sähköpostiosoite."));
        return;
    }
    if (State().SmtpServer.trimmed().isEmpty()) {
        ShowInfo(QStringLiteral("Asetuksista puuttuu SMTP palvelimen nimi."));
        return;
    }
    m_hss->SetSender(m_ui->tSender->text());
    m_hss->SetSmtpServer(State().SmtpServer);

    m_ui->pbarSendProgress->setValue(0);
    setSending(true);
    repaint();
    m_hss->Send(m_ui->tMessage->toPlainText(), SupportFileSender::IdentificationText(), State().DatabasePath);
}

void frmService::hss_SendProgress(int value)
{
    m_ui->pbarSendProgress->setValue(std::min(value, m_ui->pbarSendProgress->maximum()));
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
