#include "backup/ui/frmBackupRestore.h"
#include "ui_frmBackupRestore.h"

#include "base/Clock.h"
#include "base/Folders.h"
#include "base/Prompter.h"
#include "ui/FormRegistry.h"
#include "backup/BackupRestore.h"
#include "backup/ui/StepLabels.h"
#include "platform/SettingsError.h"
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
                      QStringLiteral("valitse palautettavan tietokannan nimi:"), parent),
      ui(std::make_unique<Ui::frmBackupRestore>()), m_choiceArea(new QWidget(this))
{
    ui->setupUi(m_choiceArea);
    setRedLetters(ui->lblPalautusStatus);
    extraArea()->addWidget(m_choiceArea);
    // The restore button stands in the shared button row, beside "Jatka".
    buttonRow()->insertWidget(1, ui->cPalauta);
    showChosen(false);
    showStatus(false);
    copiesList()->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(copiesList(), &QListWidget::itemSelectionChanged, this, &frmBackupRestore::lstTietokanta_Click);
    connect(ui->cPalauta, &QPushButton::clicked, this, &frmBackupRestore::cPalauta_Click);
}

frmBackupRestore::~frmBackupRestore() = default;

void frmBackupRestore::beforeSearch()
{
    copiesList()->clear();
    ui->lblPalautettavaTiedostoNimi->clear();
    ui->lblPalautusStatus->clear();
    showStatus(false);
}

void frmBackupRestore::dayCleared()
{
    ui->lblPalautettavaTiedostoNimi->clear();
}

void frmBackupRestore::filesListed()
{
    showChosen(false);
}

void frmBackupRestore::showChosen(bool visible)
{
    ui->lblPalautettavaTiedosto->setVisible(visible);
    ui->lblPalautettavaTiedostoNimi->setVisible(visible);
    ui->cPalauta->setVisible(visible);
    fitChoiceArea();
}

void frmBackupRestore::showStatus(bool visible)
{
    ui->lblPalautusStatus->setVisible(visible);
    fitChoiceArea();
}

void frmBackupRestore::fitChoiceArea()
{
    m_choiceArea->setVisible(!ui->lblPalautettavaTiedosto->isHidden() || !ui->lblPalautusStatus->isHidden());
}

void frmBackupRestore::lstTietokanta_Click()
{
    const QList<QListWidgetItem*> selected = copiesList()->selectedItems();
    if (chosenDay() && !selected.isEmpty()) {
        ui->lblPalautettavaTiedostoNimi->setText(JoinPath(dayFolder(), selected.first()->text()));
        showChosen(true);
    } else {
        showChosen(false);
    }
}

void frmBackupRestore::interrupted(const QString& message)
{
    ui->lblPalautusStatus->setText(QStringLiteral("Palautus keskeytyi."));
    showStatus(true);
    ShowInfo(message);
}

void frmBackupRestore::cPalauta_Click()
{
    const QString source = ui->lblPalautettavaTiedostoNimi->text();
    if (source.isEmpty())
        return;
    showStatus(false);
    if (const auto error = BackupRestore::makeTargetFolder()) {
        interrupted(QStringLiteral("Kansion luonti ei onnistunut: \n")
                    + QDir::toNativeSeparators(BackupRestore::targetFolder()) + QStringLiteral("\n\n")
                    + BackupRestore::errorPart(*error));
        return;
    }
    const QString target = BackupRestore::targetFor(source);
    // Enter keeps the file: the default is "Ei".
    if (QFileInfo::exists(target)
        && Prompter::instance().message(QStringLiteral("Palautus kirjoittaa yli olemassa olevan tiedoston, korvataanko "
                                                       "tämä tiedosto varmuuskopiolla?\n\n(")
                                            + QDir::toNativeSeparators(target) + QLatin1Char(')'),
                                        MsgIcon::Question, MsgButtons::YesNoDefaultNo, State().ProgramTitle)
               != MsgResult::Yes)
        return;
    // Before any window closes: a file another program of ours has open is not replaced.
    SoleUse sole;
    if (const auto error = BackupRestore::claim(target, sole)) {
        interrupted(QStringLiteral("Kopiointi ei onnistunut: \n") + QDir::toNativeSeparators(target) + QStringLiteral("\n\n")
                    + BackupRestore::errorPart(*error));
        return;
    }
    // Putting a copy back over the database in use is the usual case: it is asked once more, and
    // the file it replaces stays beside it as a dated safety copy.
    const bool replacesDatabaseInUse = BackupRestore::isInUse(target);
    if (replacesDatabaseInUse
        && !AskYesNo(QStringLiteral("Varmuuskopio palautetaan käytössä olevan tietokannan päälle:\n\n")
                         + QDir::toNativeSeparators(target) + QStringLiteral("\n\n")
                         + BackupRestore::safetyCopyNote(target, Today())
                         + QStringLiteral(". Kaikki ikkunat suljetaan. Jatketaanko?"),
                     MsgIcon::Question, State().ProgramTitle)) {
        ui->lblPalautusStatus->setText(QStringLiteral("Palautus keskeytyi."));
        showStatus(true);
        return;
    }
    // Every other window closes through its own close path, so no pending edit is lost. The main
    // window stays: closing it ends the program, which must keep running if the copy fails.
    if (!FormRegistry::CloseAllForms({this, FormRegistry::find(QStringLiteral("frmMain"))})) {
        ui->lblPalautusStatus->setText(QStringLiteral("Palautus keskeytyi."));
        showStatus(true);
        return;
    }
    // No other program writes to the file from here until the backup has replaced it, and a
    // journal of a stopped write is in it: the file kept aside is whole.
    DatabaseWriteLock lock;
    if (const auto error = BackupRestore::lockTarget(target, lock)) {
        interrupted(QStringLiteral("Kopiointi ei onnistunut: \n") + QDir::toNativeSeparators(target) + QStringLiteral("\n\n")
                    + BackupRestore::errorPart(*error));
        return;
    }
    QString kept;
    if (QFileInfo::exists(target)) {
        if (const auto error = BackupRestore::keepSafetyCopy(target, Today(), kept, &lock)) {
            interrupted(QStringLiteral("Nykyisen tietokannan varmistus ei onnistunut: \n") + QDir::toNativeSeparators(target)
                        + QStringLiteral("\n\n") + BackupRestore::errorPart(*error));
            return;
        }
    }
    if (const auto error = BackupRestore::copyIntoPlace(source, target, &lock)) {
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
