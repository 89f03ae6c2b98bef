#pragma once

#include <QString>

class QComboBox;
class QListWidget;
class QProgressBar;

namespace tikkeli {

// One step further, never past the maximum.
void StepProgressBar(QProgressBar* bar);
// The index of the first item whose text equals the combo's current text without regard to case;
// -1 for an empty text, an empty list or no match. The combo's selection is left as it was.
qint16 SelectComboByText(QComboBox* combo);
// Selects the first item whose text equals text exactly; without a match the last item ends up
// selected; an empty list is left alone.
void SelectListItem(const QString& text, QComboBox* combo);
// Selects the first list item whose data (Qt::UserRole) equals id; otherwise nothing changes.
void SelectListItemByData(QListWidget* list, qint32 id);

} // namespace tikkeli
