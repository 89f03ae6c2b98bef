#include "ui/RecordMenu.h"

#include <QAction>
#include <QMenuBar>

namespace tikkeli {

QAction* AddWindowAction(QWidget* window, QMenu* menu, const char* name, const QString& caption, const QKeySequence& key)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromUtf8(name));
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    window->addAction(a);
    return a;
}

RecordMenu RecordMenu::add(QMenuBar* bar, QWidget* window, const char* firstName)
{
    QMenu* mTietue = bar->addMenu(QStringLiteral("T&ietue"));
    mTietue->setObjectName(QStringLiteral("mTietue"));
    const auto action = [&](const char* name, const QString& caption, const QKeySequence& key) {
        return AddWindowAction(window, mTietue, name, caption, key);
    };
    RecordMenu m;
    m.mUusi = action("mUusi", QStringLiteral("&Uusi"), Qt::Key_F2);
    m.mTallenna = action("mTallenna", QStringLiteral("&Tallenna"), Qt::Key_F3);
    m.mPoista = action("mPoista", QStringLiteral("&Poista"), Qt::Key_F4);
    m.mSelaa = action("mSelaa", QStringLiteral("Se&laa"), Qt::Key_F5);
    m.mPeru = action("mPeru", QStringLiteral("P&eru"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    mTietue->addSeparator();
    m.mEnsimmainen = action(firstName, QStringLiteral("Siirry ensimmäiseen"), QKeySequence(Qt::CTRL | Qt::Key_A));
    m.mEdellinen = action("mEdellinen", QStringLiteral("Siirry edelliseen"), QKeySequence(Qt::CTRL | Qt::Key_S));
    m.mSeuraava = action("mSeuraava", QStringLiteral("Siirry seuraavaan"), QKeySequence(Qt::CTRL | Qt::Key_D));
    m.mViimeinen = action("mViimeinen", QStringLiteral("Siirry viimeiseen"), QKeySequence(Qt::CTRL | Qt::Key_F));
    return m;
}

} // namespace tikkeli
