#include "settings/GuidedRepair.h"

#include "base/Prompter.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"
#include "db/DbError.h"

namespace tikkeli {

namespace {

void plainMessage(const QString& text)
{
    Prompter::instance().message(text, MsgIcon::None, MsgButtons::Ok);
}

} // namespace

bool RunGuidedRepair(const QString& path)
{
    plainMessage(QStringLiteral("Tietokanta on vioittunut edellisen käyttökerran lopetuksen yhteydessä, yritän "
                                "korjata tietokannan. Odota hetki."));
    if (!ConnectionRegistry::closeAll(path)) {
        plainMessage(QStringLiteral("Tietokannan korjaus ei onnistunut, koska sen tallennus on kesken."));
        return false;
    }
    // The repair writes a fresh, flushed and verified file and puts it at the database's name in
    // one atomic rename; the damaged original stays beside it. Any failure leaves the original at
    // its name.
    try {
        const RepairResult result = RepairDatabase(path);
        if (result.wasDamaged)
            plainMessage(result.summary());
        return true;
    } catch (const DbException& e) {
        // Another program of ours has the file open, or it cannot be written: it was left as it was.
        if (e.number() == FileErr::PermissionDenied)
            plainMessage(QStringLiteral("Vioittuneen tietokannan uudelleen nimeäminen ei onnistu.\n") + e.description());
        else
            plainMessage(QStringLiteral("Tietokannan korjaus ei onnistunut. Palauta tietokanta varmuuskopiolta ennen "
                                        "kuin jatkat Tikkelin käyttöä."));
        return false;
    }
}

} // namespace tikkeli
