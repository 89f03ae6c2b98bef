#include "app/ui/ProgramIcon.h"

namespace tikkeli {

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/fi.tikkeli.Tikkeli-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace tikkeli
