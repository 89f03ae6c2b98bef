#pragma once

#include "platform/VolumeInfo.h"

#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;

namespace tikkeli {

// "KOPIOTIKKU-Varmuuskopiointi": copies the database in use onto the backup stick in five guided
// steps, then offers to compact the database. Open modeless: FormRegistry::open<frmBackup>(...).
class frmBackup : public QWidget {
    Q_OBJECT
public:
    explicit frmBackup(QWidget* parent = nullptr);

    QLabel* lblVaihe1;
    QLabel* lblVaihe2;
    QLabel* lblVaihe3;
    QLabel* lblVaihe4;
    QLabel* lblVaihe5;
    QLabel* lblKopioitavaTiedosto;
    QLabel* lblKopioitavaTiedostoNimi;
    QLabel* lblVapaaTilaStatus;
    QPushButton* cEtsiMuistitikku;
    QPushButton* cKopioi;
    QPushButton* cTiivista;
    QPushButton* cSulje;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cEtsiMuistitikku_Click();
    void cKopioi_Click();
    void cTiivista_Click();

    bool m_databaseFound = false;
    qint64 m_databaseSize = 0;
    std::optional<VolumeInfo> m_stick;
    bool m_busy = false;
};

} // namespace tikkeli
