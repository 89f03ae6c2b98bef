#include "backup/ui/frmBackupRestore.h"

#include "base/Clock.h"
#include "base/Folders.h"
#include "base/Prompter.h"
#include "base/ui/FormRegistry.h"
#include "backup/BackupRestore.h"
#include "backup/ui/StepLabels.h"
#include "settings/SettingsError.h"
#include "settings/SettingsLoader.h"
#include "base/SharedState.h"

#include "base/FileSafety.h"

#include <QBoxLayout>
#include <QDate>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>

namespace tikkeli {

frmBackupRestore::frmBackupRestore(QWidget* parent)
    : StickCopiesForm(QStringLiteral("frmBackupRestore"), QStringLiteral("KOPIOTIKKU-Palautus"),
                      QStringLiteral("2. Sopiva muistitikku löytyi, valitse palautettavan varmuuskopion päivä:"),
                      QStringLiteral("valitse palautettavan tietokannan nimi:"), parent)
{
    lblPalautettavaTiedosto = makeStepLabel(this, "lblPalautettavaTiedosto", QStringLiteral("Palautettava tiedosto:"),
                                            false);
    lblPalautettavaTiedosto->setWordWrap(false);
    lblPalautettavaTiedostoNimi = makeStepLabel(this, "lblPalautettavaTiedostoNimi", QString(), false);
    lblPalautusStatus = makeStepLabel(this, "lblPalautusStatus", QString(), false);
    setRedLetters(lblPalautusStatus);
    cPalauta = new QPushButton(QStringLiteral("Palauta"), this);
    cPalauta->setObjectName(QStringLiteral("cPalauta"));
    cPalauta->hide();

    auto* chosen = new QHBoxLayout;
    chosen->addWidget(lblPalautettavaTiedosto);
    chosen->addWidget(lblPalautettavaTiedostoNimi, 1);
    extraArea()->addLayout(chosen);
    extraArea()->addWidget(lblPalautusStatus);
    buttonRow()->insertWidget(1, cPalauta);
    lstTietokanta->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(lstTietokanta, &QListWidget::itemSelectionChanged, this, &frmBackupRestore::lstTietokanta_Click);
    connect(cPalauta, &QPushButton::clicked, this, &frmBackupRestore::cPalauta_Click);
}

void frmBackupRestore::beforeSearch()
{
    lstTietokanta->clear();
    lblPalautettavaTiedostoNimi->clear();
    lblPalautusStatus->clear();
    lblPalautusStatus->hide();
}

void frmBackupRestore::dayCleared()
{
    lblPalautettavaTiedostoNimi->clear();
}

void frmBackupRestore::filesListed()
{
    showChosen(false);
}

void frmBackupRestore::showChosen(bool visible)
{
    lblPalautettavaTiedosto->setVisible(visible);
    lblPalautettavaTiedostoNimi->setVisible(visible);
    cPalauta->setVisible(visible);
}

void frmBackupRestore::lstTietokanta_Click()
{
    const QList<QListWidgetItem*> selected = lstTietokanta->selectedItems();
    if (chosenDay() && !selected.isEmpty()) {
        lblPalautettavaTiedostoNimi->setText(JoinPath(dayFolder(), selected.first()->text()));
        showChosen(true);
    } else {
        showChosen(false);
    }
}

void frmBackupRestore::interrupted(const QString& message)
{
    lblPalautusStatus->setText(QStringLiteral("Palautus keskeytyi."));
    lblPalautusStatus->show();
    ShowInfo(message);
}

void frmBackupRestore::cPalauta_Click()
{
    const QString source = lblPalautettavaTiedostoNimi->text();
    if (source.isEmpty())
        return;
    lblPalautusStatus->hide();
    if (const auto error = BackupRestore::makeTargetFolder()) {
        interrupted(QStringLiteral("Kansion luonti ei onnistunut: \n")
                    + QDir::toNativeSeparators(BackupRestore::targetFolder()) + QStringLiteral("\n\n")
                    + BackupRestore::errorPart(*error));
        return;
    }
    const QString target = BackupRestore::targetFor(source);
    if (QFileInfo::exists(target)
        && !AskYesNo(QStringLiteral("Palautus kirjoittaa yli olemassa olevan tiedoston, korvataanko tämä tiedosto "
                                    "varmuuskopiolla?\n\n(")
                         + QDir::toNativeSeparators(target) + QLatin1Char(')'),
                     MsgIcon::Question, State().ProgramTitle))
        return;
    // Putting a copy back over the database in use is the usual case: it is asked once more, and
    // the file it replaces stays beside it as a dated safety copy.
    const bool replacesDatabaseInUse = BackupRestore::isInUse(target);
    if (replacesDatabaseInUse
        && !AskYesNo(QStringLiteral("Varmuuskopio palautetaan käytössä olevan tietokannan päälle:\n\n")
                         + QDir::toNativeSeparators(target)
                         + QStringLiteral("\n\nNykyinen tietokanta säilytetään samassa kansiossa nimellä ")
                         + QFileInfo(BackupRestore::safetyCopyPath(target, Today())).fileName()
                         + QStringLiteral(". Kaikki ikkunat suljetaan. Jatketaanko?"),
                     MsgIcon::Question, State().ProgramTitle)) {
        lblPalautusStatus->setText(QStringLiteral("Palautus keskeytyi."));
        lblPalautusStatus->show();
        return;
    }
    // Every other window closes through its own close path, so no pending edit is lost. The main
    // window stays: closing it ends the program, which must keep running if the copy fails.
    if (!FormRegistry::CloseAllForms({this, FormRegistry::find(QStringLiteral("frmMain"))})) {
        lblPalautusStatus->setText(QStringLiteral("Palautus keskeytyi."));
        lblPalautusStatus->show();
        return;
    }
    QString kept;
    if (QFileInfo::exists(target)) {
        if (const auto error = BackupRestore::keepSafetyCopy(target, Today(), kept)) {
            interrupted(QStringLiteral("Nykyisen tietokannan varmistus ei onnistunut: \n") + QDir::toNativeSeparators(target)
                        + QStringLiteral("\n\n") + BackupRestore::errorPart(*error));
            return;
        }
    }
    if (const auto error = BackupRestore::copyIntoPlace(source, target)) {
        if (!kept.isEmpty())
            FileSafety::instance().remove(kept);
        interrupted(QStringLiteral("Kopiointi ei onnistunut: \n") + QDir::toNativeSeparators(target) + QStringLiteral("\n\n")
                    + BackupRestore::errorPart(*error));
        return;
    }
    try {
        SaveDatabasePath(target);
    } catch (const SettingsError& e) {
        ShowWarning(QStringLiteral("Palautettu tietokanta on paikassa %1, mutta asetuksia ei voitu tallentaa: %2")
                        .arg(QDir::toNativeSeparators(target), e.message()));
        return;
    }
    ShowInfo(QStringLiteral("Tietokantaa on vaihdettu. ") + State().ProgramTitle
             + QStringLiteral(" sammutetaan ja se tulee käynnistää uudestaan.")
             + (kept.isEmpty()
                    ? QString()
                    : QStringLiteral("\n\nKorvattu tiedosto on tallessa nimellä ") + QDir::toNativeSeparators(kept)));
    close();
    if (EndProgram)
        EndProgram();
    else
        QCoreApplication::quit();
}

} // namespace tikkeli
