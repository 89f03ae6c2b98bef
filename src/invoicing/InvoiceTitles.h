#pragma once

#include "db/Database.h"

#include <QString>
#include <optional>
#include <vector>

namespace tikkeli {

struct SavedTitle {
    qint64 id = 0;
    QString name;
};

// The saved invoice titles (table lt) behind the invoicing window's title box.
class InvoiceTitles {
public:
    static constexpr int MaxLength = 35;

    // By name; blank names are left out.
    static std::vector<SavedTitle> list(Database& db);
    // Saves a title typed in the box unless a title of exactly that text exists; nullopt when
    // nothing was added (it exists, or is blank, or longer than the field).
    static std::optional<SavedTitle> addIfNew(Database& db, const QString& text);
    // Deletes the saved titles of exactly that text; false when there was none.
    static bool remove(Database& db, const QString& text);
};

} // namespace tikkeli
