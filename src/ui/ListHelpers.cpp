#include "ui/ListHelpers.h"

#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>

namespace tikkeli {

void StepProgressBar(QProgressBar* bar)
{
    if (bar && bar->maximum() > bar->value())
        bar->setValue(bar->value() + 1);
}

qint16 SelectComboByText(QComboBox* combo)
{
    if (!combo)
        return -1;
    const QString text = combo->currentText();
    if (text.isEmpty())
        return -1;
    for (int i = 0; i < combo->count() && i < 32768; ++i)
        if (combo->itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            return qint16(i);
    return -1;
}

void SelectListItem(const QString& text, QComboBox* combo)
{
    if (!combo || combo->count() == 0)
        return;
    int target = combo->count() - 1;
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == text) {
            target = i;
            break;
        }
    combo->setCurrentIndex(target);
}

void SelectListItemByData(QListWidget* list, qint32 id)
{
    if (!list)
        return;
    for (int i = 0; i < list->count(); ++i) {
        const QVariant data = list->item(i)->data(Qt::UserRole);
        bool ok = false;
        if (data.toLongLong(&ok) == id && ok) {
            list->setCurrentRow(i);
            return;
        }
    }
}

} // namespace tikkeli
