#pragma once

#include "contracts/cElain.h"

#include <QDialog>
#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class frmValitseElaimet;
}

namespace tikkeli {

// "Valitse eläimet": the animals of one contract, ticked in a list of the whole catalogue. It
// reads and writes no table: the contract window hands the animals in and takes the answer.
class frmValitseElaimet : public QDialog {
    Q_OBJECT
public:
    explicit frmValitseElaimet(QWidget* parent = nullptr);
    ~frmValitseElaimet() override;

    // The answer: the ticked animals in list order after "OK". "Peruuta", Esc and the window's
    // close box leave it empty, and the contract keeps the animals it had.
    std::optional<std::vector<cElain>> ValitutElaimet;

    // Lists the animals, in their order, none ticked.
    void FillElaimet(const std::vector<cElain>& animals);
    // Ticks exactly the entries of the animals' ids.
    void SelectElaimet(const std::vector<cElain>& animals);

    // Commands of the buttons.
    void ok();

    void done(int result) override;

private:
    std::unique_ptr<Ui::frmValitseElaimet> ui;
};

} // namespace tikkeli
