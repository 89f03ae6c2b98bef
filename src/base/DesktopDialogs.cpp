#include "base/DesktopDialogs.h"

#include <QStringList>

namespace tikkeli {

QString PreferredPlatformTheme(const QString& currentDesktop, const QString& chosenTheme)
{
    if (!chosenTheme.trimmed().isEmpty())
        return {};
    const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& d : desktops)
        if (d.trimmed().compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("xdgdesktopportal");
    return {};
}

void PreferDesktopFileDialogs()
{
    const QString theme = PreferredPlatformTheme(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                                                 qEnvironmentVariable("QT_QPA_PLATFORMTHEME"));
    if (!theme.isEmpty())
        qputenv("QT_QPA_PLATFORMTHEME", theme.toUtf8());
}

} // namespace tikkeli
