#pragma once

#include "contracts/ContractReportCriteria.h"
#include "db/Database.h"

#include <array>

class QCheckBox;
class QLabel;
class QListWidget;
class QRadioButton;

namespace tikkeli {

// The controls of the dialogs that choose contracts by the hunting they concern: the four kinds
// optKoskee_0..3, the two "also" boxes, and the animal list with its label for the two
// animal-list kinds. The dialogs own the controls and outlive this; it applies their one rule when
// an option is clicked (and at once) and reads the choice.
class AnimalChoiceControls {
public:
    AnimalChoiceControls(std::array<QRadioButton*, 4> options, QCheckBox* kaikkia, QCheckBox* hirvi, QLabel* listLabel,
                         QListWidget* list);
    AnimalChoiceControls(const AnimalChoiceControls&) = delete;
    AnimalChoiceControls& operator=(const AnimalChoiceControls&) = delete;

    // Lists the catalogue's animals unticked (animals without a name leave it first, with their
    // contract links); the first entry current. Database errors throw.
    void fill(Database& db);
    // The first option that is on; 0 when none is.
    int chosenOption() const;
    // The list for the animal-list kinds only; "not the listed animals" takes no other kinds along.
    void applyOptionRule();
    // The choice as the controls show it: the ticked animals in list order.
    AnimalChoice choice() const;

private:
    std::array<QRadioButton*, 4> m_options;
    QCheckBox* m_kaikkia;
    QCheckBox* m_hirvi;
    QLabel* m_listLabel;
    QListWidget* m_list;
};

} // namespace tikkeli
