#include "settings/GuidedRepair.h"

#include "base/ErrorHandling.h"
#include "db/MaintenanceFileOps.h"
#include "base/Prompter.h"
#include "db/Database.h"

namespace tikkeli {

namespace {

void plainMessage(const QString& text)
{
    Prompter::instance().message(text, MsgIcon::None, MsgButtons::Ok);
}

} // namespace

bool RunGuidedRepair(const QString& path)
{
    const QString repaired = path + QLatin1Char('2');
    const QString old = path + QStringLiteral("OLD");
    MaintenanceFileOps& ops = MaintenanceFileOps::instance();
    plainMessage(QStringLiteral("Tietokanta on vioittunut edellisen käyttökerran lopetuksen yhteydessä, yritän "
                                "korjata tietokannan. Odota hetki."));
    ConnectionRegistry::closeAll(path);
    // The compaction below tells whether anything usable is left.
    IgnoringErrors("guided repair: repair in place", [&] { ops.repairDatabase(path); });
    try {
        ops.compactDatabase(path, repaired);
    } catch (const std::exception&) {
        plainMessage(QStringLiteral("Tietokannan korjaus ei onnistunut. Palauta tietokanta varmuuskopiolta ennen "
                                    "kuin jatkat Tikkelin käyttöä."));
        return false;
    }
    try {
        ops.renameFile(path, old);
    } catch (const std::exception&) {
        plainMessage(QStringLiteral("Vioittuneen tietokannan uudelleen nimeäminen ei onnistu."));
        return false;
    }
    try {
        ops.renameFile(repaired, path);
    } catch (const std::exception&) {
        IgnoringErrors("guided repair: put the damaged file back", [&] { ops.renameFile(old, path); });
        plainMessage(QStringLiteral("Korjatun tietokannan uudelleen nimeäminen ei onnistu."));
        return false;
    }
    return true;
}

} // namespace tikkeli
