#include "base/DesktopShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tikkeli {

void OpenWithShell(const QString& target)
{
    if (target.isEmpty())
        return;
    const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath())
                                               : QUrl::fromUserInput(target);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

} // namespace tikkeli
