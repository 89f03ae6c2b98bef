#pragma once

#include "backup/ui/StickCopiesForm.h"

class QPushButton;

namespace tikkeli {

// "KOPIOTIKKU-Hallinta": lists the days and copies on the backup stick and deletes chosen copies.
// Open modeless: FormRegistry::open<frmBackupManagement>(...).
class frmBackupManagement : public StickCopiesForm {
    Q_OBJECT
public:
    explicit frmBackupManagement(QWidget* parent = nullptr);

protected:
    void dayCleared() override;

private:
    void lstTietokanta_Click();
    void cPoistaValitut_Click();

    // Its own button beside "Jatka" in the shared form.
    QPushButton* cPoistaValitut = nullptr;
};

} // namespace tikkeli
