#pragma once

#include "platform/VolumeInfo.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class frmBackup;
}

namespace tikkeli {

// "KOPIOTIKKU-Varmuuskopiointi": copies the database in use onto the backup stick in five guided
// steps, then offers to compact the database. Open modeless: FormRegistry::open<frmBackup>(...).
class frmBackup : public QWidget {
    Q_OBJECT
public:
    explicit frmBackup(QWidget* parent = nullptr);
    ~frmBackup() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cEtsiMuistitikku_Click();
    void cKopioi_Click();
    void cTiivista_Click();

    std::unique_ptr<Ui::frmBackup> m_ui;
    bool m_databaseFound = false;
    qint64 m_databaseSize = 0;
    std::optional<VolumeInfo> m_stick;
    bool m_busy = false;
};

} // namespace tikkeli
