#include "ui/ConfiguredDatabaseWindow.h"

#include "base/Prompter.h"
#include "db/ConfiguredDatabase.h"

#include <QTimer>
#include <QWidget>

namespace tikkeli {

bool OpenWindowDatabase(QWidget& window, Database& db, const std::function<void()>& fill)
{
    QString message;
    if (std::optional<Database> opened = OpenConfiguredDatabase(&message)) {
        db = std::move(*opened);
        try {
            if (fill)
                fill();
            return true;
        } catch (const std::exception& e) {
            message = CheckDatabaseSettingsText() + QStringLiteral("\r\n") + QString::fromStdString(e.what());
        }
    }
    ShowInfo(message);
    db = Database();
    window.setEnabled(false);
    QTimer::singleShot(0, &window, &QWidget::close);
    return false;
}

} // namespace tikkeli
