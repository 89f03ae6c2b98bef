#pragma once

#include "WindowFactories.h"

#include <QString>
#include <map>

namespace tikkeli::test {

// A window of the program as a sweep opens it.
struct ListedWindow {
    ListedWindow(WindowFactory m, QString own = {}) : make(std::move(m)), ownLetters(std::move(own)) {}
    WindowFactory make;
    // Letters the window reads itself with Alt, beside those of its menus, buttons and labels.
    QString ownLetters;
};

// Every window of the program by its class, as the user opens it on the sample club: the sweeps of
// the program-wide keyboard rules go over these, so a new window listed here is swept by each.
const std::map<QString, ListedWindow>& everyWindow();

// Closes w and deletes it, whether or not its close deleted it already.
void closeAndDelete(QWidget* w);

} // namespace tikkeli::test
