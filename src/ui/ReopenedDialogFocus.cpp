#include "ui/ReopenedDialogFocus.h"

#include "ui/ApplicationFilter.h"

#include "ui/OptionGroupKeys.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tikkeli {

namespace {

const char* const kFilterName = "ReopenedDialogFocus";
const char* const kShownBefore = "tikkeliShownBefore";

QWidget* firstField(QWidget* window)
{
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (w->window() == window && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->isEnabled()
            && w->isVisibleTo(window))
            return w;
    }
    return nullptr;
}

void selectText(QWidget* field)
{
    if (auto* combo = qobject_cast<QComboBox*>(field))
        field = combo->lineEdit();
    if (auto* box = qobject_cast<QLineEdit*>(field))
        box->selectAll();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(field))
        spin->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
        plain->selectAll();
    else if (auto* rich = qobject_cast<QTextEdit*>(field))
        rich->selectAll();
}

class ReopenedDialogFilter : public QObject {
public:
    explicit ReopenedDialogFilter(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Sent once the dialog has handled its own Show (which may enable or disable controls),
        // before it hands the focus out.
        if (event->type() != QEvent::ShowToParent)
            return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (!dialog || !dialog->isWindow())
            return false;
        if (dialog->property(kShownBefore).toBool())
            FocusFirstField(dialog);
        else
            dialog->setProperty(kShownBefore, true);
        return false;
    }
};

} // namespace

void InstallReopenedDialogFocus()
{
    InstallApplicationFilterOnce<ReopenedDialogFilter>(kFilterName);
}

void FocusFirstField(QWidget* window)
{
    TabToChosenOptions(window);
    if (QWidget* field = firstField(window)) {
        field->setFocus(Qt::TabFocusReason);
        selectText(field);
    }
}

} // namespace tikkeli
