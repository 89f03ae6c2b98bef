#include "backup/ui/frmBackup.h"
#include "ui_frmBackup.h"

#include "base/Clock.h"
#include "base/Prompter.h"
#include "ui/cMouseCursor.h"
#include "backup/BackupCompaction.h"
#include "backup/BackupStick.h"
#include "backup/StickBackup.h"
#include "backup/ui/StepLabels.h"
#include "settings/SettingsLoader.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

namespace tikkeli {

frmBackup::frmBackup(QWidget* parent) : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::frmBackup>())
{
    m_ui->setupUi(this);
    // The steps appear as they are reached.
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_ui->lblVaihe2, m_ui->lblVaihe3, m_ui->lblVaihe4, m_ui->lblVaihe5,
                                         m_ui->lblVapaaTilaStatus, m_ui->cEtsiMuistitikku, m_ui->cKopioi, m_ui->cTiivista})
        w->hide();
    setRedLetters(m_ui->lblVapaaTilaStatus);

    connect(m_ui->cEtsiMuistitikku, &QPushButton::clicked, this, &frmBackup::cEtsiMuistitikku_Click);
    connect(m_ui->cKopioi, &QPushButton::clicked, this, &frmBackup::cKopioi_Click);
    connect(m_ui->cTiivista, &QPushButton::clicked, this, &frmBackup::cTiivista_Click);
    connect(m_ui->cSulje, &QPushButton::clicked, this, &QWidget::close);

    const QString path = State().DatabasePath;
    const QFileInfo database(path);
    m_databaseFound = !path.isEmpty() && database.isFile();
    if (m_databaseFound) {
        m_ui->lblKopioitavaTiedostoNimi->setText(QDir::toNativeSeparators(database.absoluteFilePath()));
        m_databaseSize = database.size();
        m_ui->cEtsiMuistitikku->show();
    } else {
        m_ui->lblKopioitavaTiedostoNimi->setText(QStringLiteral("-"));
        m_ui->lblVaihe1->setText(QStringLiteral("Kopioitavaa tiedostoa ei löydy."));
    }
}

void frmBackup::cEtsiMuistitikku_Click()
{
    m_stick = BackupStick::find();
    bool enoughSpace = false;
    if (m_stick) {
        m_ui->lblVaihe2->setText(QStringLiteral("2. Sopiva muistitikku löytyi (%1), tee kopio.")
                                     .arg(QDir::toNativeSeparators(m_stick->mountFolder)));
        enoughSpace = BackupStick::hasRoomFor(*m_stick, m_databaseSize);
        m_ui->lblVapaaTilaStatus->setText(QStringLiteral("Muistitikun vapaa tila ei riitä."));
        m_ui->lblVapaaTilaStatus->setVisible(!enoughSpace);
    } else {
        m_ui->lblVapaaTilaStatus->setText(BackupStick::notFoundText());
        m_ui->lblVapaaTilaStatus->show();
    }
    if (m_stick && enoughSpace) {
        m_ui->lblVaihe2->show();
        m_ui->cKopioi->show();
        m_ui->lblVaihe1->setEnabled(false);
        m_ui->cEtsiMuistitikku->setEnabled(false);
    }
}

void frmBackup::cKopioi_Click()
{
    if (!m_stick)
        return;
    m_ui->cKopioi->setEnabled(false);
    StickBackup::Result result;
    {
        cMouseCursor busy;
        busy.SetCursor(this, BusyPointer);
        m_busy = true;
        result = StickBackup::copyToStick(State().DatabasePath, *m_stick, Today());
        m_busy = false;
    }
    if (result.error) {
        setRedLetters(m_ui->lblVaihe3);
        m_ui->lblVaihe3->setText(QStringLiteral("3. Kopiointi ei onnitunut: ") + result.error->text());
        m_ui->lblVaihe3->show();
        if (result.error->fileTooLarge) {
            ShowInfo(QStringLiteral("Muistitikun FAT32-tiedostojärjestelmään mahtuu enintään 4 Gt:n kokoinen tiedosto, "
                                    "ja tietokanta on sitä suurempi. Alusta muistitikku exFAT- tai NTFS-muotoon "
                                    "(nimeksi KOPIOTIKKU) ja tee kopio uudelleen."));
        }
        return;
    }
    m_ui->lblVaihe3->setText(QStringLiteral("3. Kopiointi valmis."));
    m_ui->lblVaihe3->show();
    m_ui->lblVaihe2->setEnabled(false);
    m_ui->lblVaihe4->show();
    m_ui->cTiivista->show();
    SaveBackupDate();
}

void frmBackup::cTiivista_Click()
{
    BackupCompaction::Result result;
    {
        cMouseCursor busy;
        busy.SetCursor(this, BusyPointer);
        m_busy = true;
        result = BackupCompaction::run(State().DatabasePath);
        m_busy = false;
    }
    m_ui->lblVaihe5->setText(result.stepText());
    m_ui->cTiivista->setEnabled(false);
    m_ui->lblVaihe3->setEnabled(false);
    m_ui->lblVaihe4->setEnabled(false);
    m_ui->lblVaihe5->show();
}

void frmBackup::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    SaveFormPlacement(this);
    event->accept();
}

frmBackup::~frmBackup() = default;

} // namespace tikkeli
