#include "ui/DefaultButton.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

namespace tikkeli {

namespace {

const char* const kFilterName = "DefaultButtonTakesEnter";

// Watches the application's key presses, so it sees Enter before the focused control and before
// any filter of that control; it goes with its dialog.
class EnterFilter : public QObject {
public:
    explicit EnterFilter(QDialog* dialog) : QObject(dialog), m_dialog(dialog) { setObjectName(QLatin1String(kFilterName)); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* target = qobject_cast<QWidget*>(watched);
        if (!target || target == m_dialog || target->window() != m_dialog)
            return false;
        if (qobject_cast<QPushButton*>(target) || qobject_cast<QPlainTextEdit*>(target) || qobject_cast<QTextEdit*>(target)
            || (target->parentWidget()
                && (qobject_cast<QPlainTextEdit*>(target->parentWidget())
                    || qobject_cast<QTextEdit*>(target->parentWidget()))))
            return false;
        // A cell being edited in a list or grid finishes with Enter.
        for (QWidget* w = target->parentWidget(); w && w != m_dialog; w = w->parentWidget()) {
            if (qobject_cast<QAbstractItemView*>(w))
                return false;
        }
        for (QPushButton* b : m_dialog->findChildren<QPushButton*>()) {
            if (b->isDefault() && b->isVisible()) {
                if (b->isEnabled())
                    b->click();
                return true;
            }
        }
        return false;
    }

private:
    QDialog* m_dialog;
};

} // namespace

void DefaultButtonTakesEnter(QDialog* dialog)
{
    if (!dialog || dialog->findChild<QObject*>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new EnterFilter(dialog));
}

} // namespace tikkeli
