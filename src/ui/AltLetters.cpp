#include "ui/AltLetters.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace tikkeli {

namespace {

const char* const kFilterName = "AltLetters";

// Qt keeps a key's text in a member its subclasses may reach; a pointer to it, named through a
// subclass, reaches it in any key event.
struct KeyText : QKeyEvent {
    static constexpr QString QKeyEvent::*text = &KeyText::m_text;
};

bool isAltAlone(const QKeyEvent* key)
{
    // AltGr comes as Ctrl+Alt on some systems and with the group switch on others.
    const Qt::KeyboardModifiers mods = key->modifiers();
    return (mods & Qt::AltModifier) && !(mods & (Qt::ControlModifier | Qt::MetaModifier | Qt::GroupSwitchModifier));
}

class AltLettersFilter : public QObject {
public:
    explicit AltLettersFilter(QObject* parent) : QObject(parent) { setObjectName(QLatin1String(kFilterName)); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // By the time a key press reaches a control, the window's shortcuts have had their turn.
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        // An open menu, or the menu bar the user stepped into, picks its entries by their letters.
        if (qobject_cast<QMenu*>(watched) || qobject_cast<QMenuBar*>(watched))
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (isAltAlone(key) && !key->text().isEmpty())
            (key->*KeyText::text).clear();
        return false;
    }
};

} // namespace

void InstallAltLetters()
{
    if (qApp->findChild<QObject*>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new AltLettersFilter(qApp));
}

} // namespace tikkeli
