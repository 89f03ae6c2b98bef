#include "ui/WindowOpeners.h"

#include <map>

namespace tikkeli {

namespace {

std::map<MainCommand, WindowOpener>& openers()
{
    static std::map<MainCommand, WindowOpener> table;
    return table;
}

} // namespace

void WindowOpeners::set(MainCommand command, WindowOpener opener)
{
    if (opener)
        openers()[command] = std::move(opener);
    else
        openers().erase(command);
}

const WindowOpener* WindowOpeners::find(MainCommand command)
{
    const auto it = openers().find(command);
    return it == openers().end() ? nullptr : &it->second;
}

void WindowOpeners::clear()
{
    openers().clear();
}

} // namespace tikkeli
