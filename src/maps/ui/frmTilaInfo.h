#pragma once

#include "db/Database.h"
#include "maps/EstateInfo.h"

#include <QWidget>
#include <memory>

namespace Ui {
class frmTilaInfo;
}

namespace tikkeli {

// "Tikkeli - Tilatiedot": an estate and the main terms of its lease contract, read only. One
// window at a time; a further request fills the same window.
class frmTilaInfo : public QWidget {
    Q_OBJECT
public:
    explicit frmTilaInfo(Database db, QWidget* parent = nullptr);
    ~frmTilaInfo() override;

    // Fills the values; a database failure is shown and leaves the values empty.
    void LoadInfo(qint64 tlId);
    EstateInfoTexts shownTexts() const;

    // The one window, made and shown modeless when it is not open, filled with the estate.
    static frmTilaInfo* showEstate(const Database& db, qint64 tlId);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void display(const EstateInfoTexts& t);

    std::unique_ptr<Ui::frmTilaInfo> ui;
    Database m_db;
};

} // namespace tikkeli
