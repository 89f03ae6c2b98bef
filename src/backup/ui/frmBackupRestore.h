#pragma once

#include "backup/ui/StickCopiesForm.h"

#include <functional>
#include <memory>

namespace Ui {
class frmBackupRestore;
}

namespace tikkeli {

// "KOPIOTIKKU-Palautus": puts a chosen copy from the backup stick into the documents folder, makes
// it the configured database and ends the program. Open modeless: FormRegistry::open<frmBackupRestore>(...).
// Its own controls (see the .ui file): lblPalautettavaTiedosto, lblPalautettavaTiedostoNimi,
// lblPalautusStatus, cPalauta.
class frmBackupRestore : public StickCopiesForm {
    Q_OBJECT
public:
    explicit frmBackupRestore(QWidget* parent = nullptr);
    ~frmBackupRestore() override;

    // Ends the program after a restore, once every window has closed; tests replace it.
    static inline std::function<void()> EndProgram;

protected:
    void beforeSearch() override;
    void dayCleared() override;
    void filesListed() override;

private:
    void lstTietokanta_Click();
    void cPalauta_Click();
    void showChosen(bool visible);
    void interrupted(const QString& message);
    void showStatus(bool visible);
    // The area under the lists shows only while something in it does.
    void fitChoiceArea();

    std::unique_ptr<Ui::frmBackupRestore> ui;
    QWidget* m_choiceArea;
};

} // namespace tikkeli
