#include "backup/ui/frmBackup.h"

#include "base/Clock.h"
#include "base/Prompter.h"
#include "base/ui/cMouseCursor.h"
#include "backup/BackupCompaction.h"
#include "backup/BackupStick.h"
#include "backup/StickBackup.h"
#include "backup/ui/StepLabels.h"
#include "settings/SettingsLoader.h"
#include "base/SharedState.h"
#include "settings/ui/FormPlacement.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QPushButton>

namespace tikkeli {

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, bool visible)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setVisible(visible);
    return b;
}

} // namespace

frmBackup::frmBackup(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmBackup"));
    setWindowTitle(QStringLiteral("KOPIOTIKKU-Varmuuskopiointi"));

    lblVaihe1 = makeStepLabel(this, "lblVaihe1", QStringLiteral("1. Aseta muistitikku tietokoneeseen"), true);
    lblVaihe2 = makeStepLabel(this, "lblVaihe2", QStringLiteral("2. Sopiva muistitikku löytyi, tee kopio"), false);
    lblVaihe3 = makeStepLabel(this, "lblVaihe3", QStringLiteral("3. Kopiointi valmis"), false);
    lblVaihe4 = makeStepLabel(this, "lblVaihe4",
                              QStringLiteral("4. Voit vielä tehdä tietokannan tiivistyksen. Tiivistys ei ole pakollinen, "
                                             "mutta se pienentää käytössä olevan tietokannan kokoa"),
                              false);
    lblVaihe5 = makeStepLabel(this, "lblVaihe5", QStringLiteral("5. Tiivistys valmis"), false);
    lblKopioitavaTiedosto = makeStepLabel(this, "lblKopioitavaTiedosto", QStringLiteral("Kopioitava tiedosto:"), true);
    lblKopioitavaTiedosto->setWordWrap(false);
    lblKopioitavaTiedostoNimi = makeStepLabel(this, "lblKopioitavaTiedostoNimi", QString(), true);
    lblKopioitavaTiedostoNimi->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblVapaaTilaStatus = makeStepLabel(this, "lblVapaaTilaStatus", QStringLiteral("Muistitikun vapaa tila ei riitä."), false);
    setRedLetters(lblVapaaTilaStatus);
    cEtsiMuistitikku = makeButton(this, "cEtsiMuistitikku", QStringLiteral("Jatka"), false);
    cKopioi = makeButton(this, "cKopioi", QStringLiteral("Kopioi"), false);
    cTiivista = makeButton(this, "cTiivista", QStringLiteral("Tiivistä"), false);
    cSulje = makeButton(this, "cSulje", QStringLiteral("Sulje"), true);

    // Each step's button stands beside its step, so the window reads top to bottom.
    auto* grid = new QGridLayout(this);
    auto* file = new QHBoxLayout;
    file->addWidget(lblKopioitavaTiedosto);
    file->addWidget(lblKopioitavaTiedostoNimi, 1);
    grid->addLayout(file, 0, 0, 1, 2);
    grid->addWidget(lblVaihe1, 1, 0);
    grid->addWidget(cEtsiMuistitikku, 1, 1);
    grid->addWidget(lblVaihe2, 2, 0);
    grid->addWidget(cKopioi, 2, 1);
    grid->addWidget(lblVaihe3, 3, 0, 1, 2);
    grid->addWidget(lblVaihe4, 4, 0);
    grid->addWidget(cTiivista, 4, 1);
    grid->addWidget(lblVaihe5, 5, 0, 1, 2);
    grid->addWidget(lblVapaaTilaStatus, 6, 0, 1, 2);
    grid->setRowStretch(7, 1);
    grid->addWidget(cSulje, 8, 1);
    grid->setColumnStretch(0, 1);
    for (QPushButton* b : {cEtsiMuistitikku, cKopioi, cTiivista, cSulje})
        b->setMinimumWidth(110);
    resize(560, 330);

    connect(cEtsiMuistitikku, &QPushButton::clicked, this, &frmBackup::cEtsiMuistitikku_Click);
    connect(cKopioi, &QPushButton::clicked, this, &frmBackup::cKopioi_Click);
    connect(cTiivista, &QPushButton::clicked, this, &frmBackup::cTiivista_Click);
    connect(cSulje, &QPushButton::clicked, this, &QWidget::close);

    const QString path = State().DatabasePath;
    const QFileInfo database(path);
    m_databaseFound = !path.isEmpty() && database.isFile();
    if (m_databaseFound) {
        lblKopioitavaTiedostoNimi->setText(QDir::toNativeSeparators(database.absoluteFilePath()));
        m_databaseSize = database.size();
        cEtsiMuistitikku->show();
    } else {
        lblKopioitavaTiedostoNimi->setText(QStringLiteral("-"));
        lblVaihe1->setText(QStringLiteral("Kopioitavaa tiedostoa ei löydy."));
    }
}

void frmBackup::cEtsiMuistitikku_Click()
{
    m_stick = BackupStick::find();
    bool enoughSpace = false;
    if (m_stick) {
        lblVaihe2->setText(QStringLiteral("2. Sopiva muistitikku löytyi (%1), tee kopio.")
                               .arg(QDir::toNativeSeparators(m_stick->mountFolder)));
        enoughSpace = BackupStick::hasRoomFor(*m_stick, m_databaseSize);
        lblVapaaTilaStatus->setText(QStringLiteral("Muistitikun vapaa tila ei riitä."));
        lblVapaaTilaStatus->setVisible(!enoughSpace);
    } else {
        lblVapaaTilaStatus->setText(BackupStick::notFoundText());
        lblVapaaTilaStatus->show();
    }
    if (m_stick && enoughSpace) {
        lblVaihe2->show();
        cKopioi->show();
        lblVaihe1->setEnabled(false);
        cEtsiMuistitikku->setEnabled(false);
    }
}

void frmBackup::cKopioi_Click()
{
    if (!m_stick)
        return;
    cKopioi->setEnabled(false);
    StickBackup::Result result;
    {
        cMouseCursor busy;
        busy.SetCursor(this, BusyPointer);
        m_busy = true;
        result = StickBackup::copyToStick(State().DatabasePath, *m_stick, Today());
        m_busy = false;
    }
    if (result.error) {
        setRedLetters(lblVaihe3);
        lblVaihe3->setText(QStringLiteral("3. Kopiointi ei onnitunut: ") + result.error->text());
        lblVaihe3->show();
        if (result.error->fileTooLarge) {
            ShowInfo(QStringLiteral("Muistitikun FAT32-tiedostojärjestelmään mahtuu enintään 4 Gt:n kokoinen tiedosto, "
                                    "ja tietokanta on sitä suurempi. Alusta muistitikku exFAT- tai NTFS-muotoon "
                                    "(nimeksi KOPIOTIKKU) ja tee kopio uudelleen."));
        }
        return;
    }
    lblVaihe3->setText(QStringLiteral("3. Kopiointi valmis."));
    lblVaihe3->show();
    lblVaihe2->setEnabled(false);
    lblVaihe4->show();
    cTiivista->show();
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
    lblVaihe5->setText(result.stepText());
    cTiivista->setEnabled(false);
    lblVaihe3->setEnabled(false);
    lblVaihe4->setEnabled(false);
    lblVaihe5->show();
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

} // namespace tikkeli
