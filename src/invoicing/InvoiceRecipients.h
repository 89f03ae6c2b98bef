#pragma once

#include "db/Database.h"

#include <QString>
#include <vector>

namespace tikkeli {

enum class RecipientKind { All, Landowners, Feature, Member };

// One entry of the invoicing window's recipient list.
struct RecipientChoice {
    RecipientKind kind = RecipientKind::All;
    qint64 id = 0; // the feature's piID or the member's jrID
    QString text;
    // The list's item data: 0 for all and for the landowners, minus the piID of a feature, the jrID
    // of a member.
    qint64 code() const;
};

class InvoiceRecipients {
public:
    // "Kaikki", "Maanomistaja", "Om - " and every feature by name, then every member by surname and
    // first name ("surname firstname"). Features without a name and members without a surname are
    // left out of the list (and out of every run); they stay in their tables.
    static std::vector<RecipientChoice> list(Database& db);
};

} // namespace tikkeli
