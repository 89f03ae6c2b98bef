#include "backup/ui/frmBackupManagement.h"

#include "base/Folders.h"
#include "base/Prompter.h"
#include "backup/BackupRestore.h"
#include "base/SharedState.h"

#include <QBoxLayout>
#include <QListWidget>
#include <QPushButton>

namespace tikkeli {

frmBackupManagement::frmBackupManagement(QWidget* parent)
    : StickCopiesForm(QStringLiteral("frmBackupManagement"), QStringLiteral("KOPIOTIKKU-Hallinta"),
                      QStringLiteral("2. Sopiva muistitikku löytyi, valitse päivä:"),
                      QStringLiteral("valitse poistettavien tietokantojen nimet:"), parent)
{
    cPoistaValitut = new QPushButton(QStringLiteral("Poista valitut kopiot"), this);
    cPoistaValitut->setObjectName(QStringLiteral("cPoistaValitut"));
    cPoistaValitut->hide();
    buttonRow()->insertWidget(1, cPoistaValitut);
    copiesList()->setSelectionMode(QAbstractItemView::MultiSelection);
    connect(copiesList(), &QListWidget::itemSelectionChanged, this, &frmBackupManagement::lstTietokanta_Click);
    connect(cPoistaValitut, &QPushButton::clicked, this, &frmBackupManagement::cPoistaValitut_Click);
}

void frmBackupManagement::dayCleared()
{
    cPoistaValitut->hide();
}

void frmBackupManagement::lstTietokanta_Click()
{
    cPoistaValitut->setVisible(!copiesList()->selectedItems().isEmpty());
}

void frmBackupManagement::cPoistaValitut_Click()
{
    if (!chosenDay())
        return;
    const QString folder = dayFolder();
    const QString dayText = chosenDayText();
    for (int i = 0; i < copiesList()->count(); ++i) {
        const QListWidgetItem* item = copiesList()->item(i);
        if (!item->isSelected())
            continue;
        const QString name = item->text();
        if (!AskYesNo(QStringLiteral("Haluatko varmasti poistaa kopion ") + dayText + QStringLiteral(" / ") + name
                          + QLatin1Char('?'),
                      MsgIcon::None, State().ProgramTitle))
            continue;
        if (const auto error = BackupRestore::deleteCopy(JoinPath(folder, name))) {
            ShowWarning(QStringLiteral("Kopion poisto ei onnistu: ") + error->text());
            break;
        }
    }
    lstPaiva_Click();
    cPoistaValitut->hide();
}

} // namespace tikkeli
