#pragma once

#include <QString>

namespace tikkeli {

// The platform theme the program asks Qt for, given the desktop (XDG_CURRENT_DESKTOP, names
// separated by ':') and the theme the user chose (QT_QPA_PLATFORMTHEME); empty = leave Qt's choice.
// On GNOME and its relatives Qt itself picks the GTK theme with GTK's file dialogs. On KDE Plasma
// Qt 6 has no theme with KDE's dialogs, but the desktop portal shows them, so that is asked for.
// A theme the user chose always stands.
QString PreferredPlatformTheme(const QString& currentDesktop, const QString& chosenTheme);

// Applies PreferredPlatformTheme to this process; called before the application object exists.
void PreferDesktopFileDialogs();

} // namespace tikkeli
