#pragma once

#include "contracts/ui/AnimalChoiceControls.h"
#include "db/Database.h"
#include "maps/EstatesToDraw.h"

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class frmPiirrettavatTilat;
}

namespace tikkeli {

// "Tikkeli - Piirrettävät tilat": which estates the map draws. Build it, load() it (false, after
// telling the user, when no database is configured or the animal list cannot be read), exec() it
// and read Answer(): nullopt when the dialog was left by its close box or Esc (a cancel: nothing is
// to be marked or redrawn), else every estate or the contracts' query. "Seuraava   >>" with an
// animal-list kind and no animal chosen says "Valitse myös eläimiä!" and stays open.
class frmPiirrettavatTilat : public QDialog {
    Q_OBJECT
public:
    explicit frmPiirrettavatTilat(Database db, QWidget* parent = nullptr);
    ~frmPiirrettavatTilat() override;

    bool load();
    const std::optional<EstatesToDraw>& Answer() const { return m_answer; }
    bool KaikkiTilat() const { return m_answer && m_answer->KaikkiTilat; }
    ContractQuery RajausSQL() const { return m_answer ? m_answer->RajausSQL : ContractQuery{}; }

    // The dialog shown modally; its answer (nullopt for a cancel or a dialog that did not load).
    static std::optional<EstatesToDraw> ask(const Database& db, QWidget* parent = nullptr);

    void SetCriteriaEnabled(bool enabled);
    void cSeuraava_Click();

protected:
    void done(int result) override;

private:
    std::unique_ptr<Ui::frmPiirrettavatTilat> ui;
    Database m_db;
    std::unique_ptr<AnimalChoiceControls> m_animals;
    std::optional<EstatesToDraw> m_answer;
};

} // namespace tikkeli
