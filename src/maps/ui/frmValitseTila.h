#pragma once

#include "db/Database.h"
#include "maps/EstatePicker.h"

#include <QDialog>
#include <memory>
#include <vector>

namespace Ui {
class frmValitseTila;
}

namespace tikkeli {

// "Tikkeli - Valitse tila": one estate picked by its register number. Build it, assign one
// filter, load() it (false, after telling the user, when no database is configured or it cannot
// be read), exec() it and read SelectedEstateId(): the chosen tlID, 0 for no choice ("Peruuta",
// Esc, the close box, an empty list or a typed text that matches no entry).
class frmValitseTila : public QDialog {
    Q_OBJECT
public:
    explicit frmValitseTila(Database db, QWidget* parent = nullptr);
    ~frmValitseTila() override;

    // Only estates without a stored boundary / only estates with one; at most one holds. Each
    // assignment fills the list again when it is loaded.
    void setVainPiirtamattomat(bool on);
    void setVainPiirretyt(bool on);
    bool VainPiirtamattomat() const { return m_filter == EstatePicker::Filter::Undrawn; }
    bool VainPiirretyt() const { return m_filter == EstatePicker::Filter::Drawn; }

    bool load();
    qint64 SelectedEstateId() const { return m_selected; }

    // The picker shown modally with the filter; the chosen tlID, 0 for none.
    static qint64 pick(const Database& db, EstatePicker::Filter filter, QWidget* parent = nullptr);

    void cOK_Click();
    void cPeru_Click();

protected:
    void done(int result) override;

private:
    void fill();
    // fill(), a database failure shown and the list left empty.
    bool refill();

    std::unique_ptr<Ui::frmValitseTila> ui;
    Database m_db;
    EstatePicker::Filter m_filter = EstatePicker::Filter::Undrawn;
    std::vector<EstatePicker::Item> m_items;
    bool m_loaded = false;
    qint64 m_selected = 0;
};

} // namespace tikkeli
