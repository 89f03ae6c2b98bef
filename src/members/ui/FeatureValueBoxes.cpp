#include "members/ui/FeatureValueBoxes.h"

#include "base/NullConversions.h"
#include "base/Prompter.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

namespace tikkeli {

void CheckNumberOnLeave(QLineEdit* box, bool emptyFails)
{
    if (box->text().isEmpty() && !emptyFails)
        return;
    if (!ParseLocaleNumber(box->text())) {
        box->clear();
        Prompter::instance().beep();
    }
}

void CheckDateOnLeave(QLineEdit* box, bool emptyFails)
{
    if (box->text().isEmpty() && !emptyFails)
        return;
    const auto date = ParseLocaleDate(box->text());
    if (!date) {
        box->clear();
        Prompter::instance().beep();
        return;
    }
    box->setText(NullToString(Value(date->date())));
}

void SelectAllOnFocus(QObject* watched, const QEvent* event)
{
    if (event->type() != QEvent::FocusIn)
        return;
    // Later, so that the click that gave the focus does not place the caret over the selection.
    if (auto* line = qobject_cast<QLineEdit*>(watched))
        QTimer::singleShot(0, line, &QLineEdit::selectAll);
    else if (auto* text = qobject_cast<QPlainTextEdit*>(watched))
        QTimer::singleShot(0, text, &QPlainTextEdit::selectAll);
}

} // namespace tikkeli
