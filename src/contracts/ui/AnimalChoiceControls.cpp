#include "contracts/ui/AnimalChoiceControls.h"

#include "contracts/ContractCriteriaLists.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

namespace tikkeli {

AnimalChoiceControls::AnimalChoiceControls(std::array<QRadioButton*, 4> options, QCheckBox* kaikkia, QCheckBox* hirvi,
                                           QLabel* listLabel, QListWidget* list)
    : m_options(options), m_kaikkia(kaikkia), m_hirvi(hirvi), m_listLabel(listLabel), m_list(list)
{
    for (QRadioButton* o : m_options)
        QObject::connect(o, &QRadioButton::clicked, o, [this] { applyOptionRule(); });
    applyOptionRule();
}

void AnimalChoiceControls::fill(Database& db)
{
    m_list->clear();
    for (const auto& e : ContractCriteriaLists::animals(db)) {
        auto* entry = new QListWidgetItem(e.name, m_list);
        entry->setData(Qt::UserRole, e.id);
        entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
        entry->setCheckState(Qt::Unchecked);
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

int AnimalChoiceControls::chosenOption() const
{
    for (int i = 0; i < 4; ++i)
        if (m_options[std::size_t(i)]->isChecked())
            return i;
    return 0;
}

void AnimalChoiceControls::applyOptionRule()
{
    const int option = chosenOption();
    const bool listed = option >= 2;
    m_listLabel->setEnabled(listed);
    m_list->setEnabled(listed);
    for (QCheckBox* c : {m_kaikkia, m_hirvi}) {
        if (option == 3)
            c->setChecked(false);
        c->setEnabled(option != 3);
    }
}

AnimalChoice AnimalChoiceControls::choice() const
{
    AnimalChoice choice;
    choice.option = chosenOption();
    choice.kaikkea = m_kaikkia->isChecked();
    choice.hirvi = m_hirvi->isChecked();
    if (choice.option >= 2)
        for (int i = 0; i < m_list->count(); ++i) {
            const QListWidgetItem* entry = m_list->item(i);
            if (entry->checkState() == Qt::Checked)
                choice.animals.emplace_back(entry->data(Qt::UserRole).toInt(), entry->text());
        }
    return choice;
}

} // namespace tikkeli
