#include "ui/SelectAllOnFocus.h"

#include "ui/TextBoxHelpers.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

namespace tikkeli {

namespace {

class SelectAllFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn) {
            // After the focus change itself, which would otherwise place the caret over the selection.
            QPointer<QLineEdit> box = qobject_cast<QLineEdit*>(watched);
            QTimer::singleShot(0, this, [box] {
                if (box)
                    SelectAllText(box);
            });
        }
        return false;
    }
};

} // namespace

bool SelectsAllOnFocus(Qt::FocusReason reason)
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason;
}

void SelectAllOnFocus(QLineEdit* textBox)
{
    textBox->installEventFilter(new SelectAllFilter(textBox));
}

void SelectAllOnFocus(QObject* watched, const QEvent* event)
{
    if (event->type() != QEvent::FocusIn || !SelectsAllOnFocus(static_cast<const QFocusEvent*>(event)->reason()))
        return;
    // Later, so that the click that gave the focus does not place the caret over the selection.
    if (auto* line = qobject_cast<QLineEdit*>(watched))
        QTimer::singleShot(0, line, &QLineEdit::selectAll);
    else if (auto* text = qobject_cast<QPlainTextEdit*>(watched))
        QTimer::singleShot(0, text, &QPlainTextEdit::selectAll);
}

} // namespace tikkeli
