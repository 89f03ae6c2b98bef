#pragma once

#include "db/Database.h"

#include <QWidget>
#include <functional>

namespace tikkeli::test {

// How a sweep over the program's windows makes each one on the test's club database.
using WindowFactory = std::function<QWidget*(Database&)>;

template <class W>
WindowFactory plain()
{
    return [](Database&) -> QWidget* { return new W; };
}
template <class W>
WindowFactory onDatabase()
{
    return [](Database& db) -> QWidget* { return new W(db); };
}
// A window that reads the database when told to, as its opener does.
template <class W>
WindowFactory loaded()
{
    return [](Database& db) -> QWidget* {
        auto* w = new W(db);
        w->load();
        return w;
    };
}

} // namespace tikkeli::test
