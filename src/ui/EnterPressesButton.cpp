#include "ui/EnterPressesButton.h"

#include "ui/ApplicationFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

namespace tikkeli {

namespace {

const char* const kFilterName = "EnterPressesButton";

class EnterPressesButtonFilter : public QObject {
public:
    explicit EnterPressesButtonFilter(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || key->isAutoRepeat())
            return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled())
            return false;
        if (auto* push = qobject_cast<QPushButton*>(button)) {
            // A dialog's buttons take Enter themselves.
            if (push->autoDefault() || push->isDefault())
                return false;
        } else if (!qobject_cast<QToolButton*>(button)) {
            return false; // a check box or an option: Enter is not its press
        }
        button->click();
        return true;
    }
};

} // namespace

void InstallEnterPressesButton()
{
    InstallApplicationFilterOnce<EnterPressesButtonFilter>(kFilterName);
}

} // namespace tikkeli
