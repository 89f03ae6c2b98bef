#include "ui/AltLetters.h"

#include "ui/ApplicationFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace tikkeli {

namespace {

const char* const kFilterName = "AltLetters";

bool isAltAlone(const QKeyEvent* key)
{
    // AltGr comes as Ctrl+Alt on some systems and with the group switch on others.
    const Qt::KeyboardModifiers mods = key->modifiers();
    return (mods & Qt::AltModifier) && !(mods & (Qt::ControlModifier | Qt::MetaModifier | Qt::GroupSwitchModifier));
}

class AltLettersFilter : public QObject {
public:
    explicit AltLettersFilter(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // By the time a key press reaches a control, the window's shortcuts have had their turn.
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        // An open menu, or the menu bar the user stepped into, picks its entries by their letters.
        if (qobject_cast<QMenu*>(watched) || qobject_cast<QMenuBar*>(watched))
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (!isAltAlone(key) || key->text().isEmpty())
            return false;
        // The same key without its text goes to the control in its place, and on to its parents
        // as any key the control leaves; the copy has no text, so this filter lets it pass.
        QKeyEvent bare(key->type(), key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
                       key->nativeModifiers(), QString(), key->isAutoRepeat(), key->count(), key->device());
        QCoreApplication::sendEvent(watched, &bare);
        key->setAccepted(true);
        return true;
    }
};

} // namespace

void InstallAltLetters()
{
    InstallApplicationFilterOnce<AltLettersFilter>(kFilterName);
}

} // namespace tikkeli
