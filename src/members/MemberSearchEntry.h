#pragma once

#include <QString>

namespace tikkeli {

// One entry of a search list: the text shown and the member (jrID) it leads to.
struct MemberSearchEntry {
    QString text;
    qint32 jrID = 0;
    bool operator==(const MemberSearchEntry&) const = default;
};

} // namespace tikkeli
