#include "ui/WindowHooks.h"

#include <map>

namespace tikkeli {

namespace {

std::map<WindowHook, WindowHookFunction>& hooks()
{
    static std::map<WindowHook, WindowHookFunction> map;
    return map;
}

std::map<MenuHook, MenuHookFunction>& menus()
{
    static std::map<MenuHook, MenuHookFunction> map;
    return map;
}

} // namespace

void WindowHooks::set(WindowHook hook, WindowHookFunction function)
{
    if (function)
        hooks()[hook] = std::move(function);
    else
        hooks().erase(hook);
}

const WindowHookFunction* WindowHooks::find(WindowHook hook)
{
    const auto it = hooks().find(hook);
    return it == hooks().end() ? nullptr : &it->second;
}

qint64 WindowHooks::run(WindowHook hook, QWidget* owner, const WindowHookRequest& request)
{
    const WindowHookFunction* function = find(hook);
    return function ? (*function)(owner, request) : 0;
}

void WindowHooks::clear()
{
    hooks().clear();
    menus().clear();
}

void WindowHooks::setMenu(MenuHook hook, MenuHookFunction function)
{
    if (function)
        menus()[hook] = std::move(function);
    else
        menus().erase(hook);
}

bool WindowHooks::hasMenu(MenuHook hook)
{
    return menus().count(hook) != 0;
}

QList<HookMenuEntry> WindowHooks::menu(MenuHook hook)
{
    const auto it = menus().find(hook);
    return it == menus().end() ? QList<HookMenuEntry>{} : it->second();
}

} // namespace tikkeli
