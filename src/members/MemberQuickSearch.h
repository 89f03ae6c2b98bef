#pragma once

#include "db/Database.h"
#include "members/MemberSearchEntry.h"

#include <optional>
#include <vector>

namespace tikkeli {

// The queries of the quick member search. Every typed value is bound; a * in typed memo text
// stays the any-characters wildcard it always was.
class MemberQuickSearch {
public:
    enum class Field { Jasennumero, Osoite, Puhelin, Matkapuhelin, Email };
    static QString fieldName(Field field);

    explicit MemberQuickSearch(Database db);

    // Every non-Null value of the field with its member, in the field's order; equal values of
    // different members stay separate entries.
    std::vector<MemberSearchEntry> fieldEntries(Field field);
    // The first 30 characters of every feature memo of an existing member, sorted alphabetically.
    std::vector<MemberSearchEntry> memoBeginnings();
    // The same lists as last read on this database file, shared by every quick search of the
    // program: read again only after the file has changed (a large register's lists take long
    // to read and sort, and most openings of the search change nothing).
    const std::vector<MemberSearchEntry>& keptFieldEntries(Field field);
    const std::vector<MemberSearchEntry>& keptMemoBeginnings();

    // The first member whose field equals text (letters compared without regard to case, nothing
    // trimmed); nullopt when none.
    std::optional<qint32> findEqual(Field field, const QString& text);

    struct MemoHits {
        int count = 0; // matching memo values, so one member may count twice
        qint32 firstId = 0;
    };
    // Memo values holding text anywhere.
    MemoHits findInMemos(const QString& text);
    // Memo values beginning with text (in full, however long).
    MemoHits findMemoBeginning(const QString& text);

    static constexpr int BeginningLength = 30;

private:
    MemoHits memoHits(const QString& likePattern);
    Database m_db;
};

} // namespace tikkeli
