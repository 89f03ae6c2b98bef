#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tikkeli {

// An entry of a window's menu whose key works wherever the focus is in the window, the menu open
// or not.
QAction* AddWindowAction(QWidget* window, QMenu* menu, const char* name, const QString& caption,
                         const QKeySequence& key = {});

// The record windows' "T&ietue" menu: "&Uusi" F2, "&Tallenna" F3, "&Poista" F4, "Se&laa" F5,
// "P&eru" Ctrl+Z, a separator and the four moves Ctrl+A, S, D and F.
struct RecordMenu {
    QAction* mUusi = nullptr;
    QAction* mTallenna = nullptr;
    QAction* mPoista = nullptr;
    QAction* mSelaa = nullptr;
    QAction* mPeru = nullptr;
    QAction* mEnsimmainen = nullptr;
    QAction* mEdellinen = nullptr;
    QAction* mSeuraava = nullptr;
    QAction* mViimeinen = nullptr;

    // Adds the menu to the window's menu bar; firstName is the object name of the move to the
    // first record, which the windows spell differently.
    static RecordMenu add(QMenuBar* bar, QWidget* window, const char* firstName);
};

} // namespace tikkeli
