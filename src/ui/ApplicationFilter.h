#pragma once

#include <QApplication>

namespace tikkeli {

// Installs a program-wide rule's event filter on the application once, however many times the
// program or a test asks: the filter is found again by its name.
template <class Filter>
void InstallApplicationFilterOnce(const char* name)
{
    if (qApp->findChild<QObject*>(QLatin1String(name), Qt::FindDirectChildrenOnly))
        return;
    auto* filter = new Filter(qApp);
    filter->setObjectName(QLatin1String(name));
    qApp->installEventFilter(filter);
}

} // namespace tikkeli
