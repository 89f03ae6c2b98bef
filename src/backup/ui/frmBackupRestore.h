#pragma once

#include "backup/ui/StickCopiesForm.h"

#include <functional>

namespace tikkeli {

// "KOPIOTIKKU-Palautus": puts a chosen copy from the backup stick into the documents folder, makes
// it the configured database and ends the program. Open modeless: FormRegistry::open<frmBackupRestore>(...).
class frmBackupRestore : public StickCopiesForm {
    Q_OBJECT
public:
    explicit frmBackupRestore(QWidget* parent = nullptr);

    QLabel* lblPalautettavaTiedosto;
    QLabel* lblPalautettavaTiedostoNimi;
    QLabel* lblPalautusStatus;
    QPushButton* cPalauta;

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
};

} // namespace tikkeli
