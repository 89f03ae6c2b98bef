#pragma once

#include <QSet>
#include <QtGlobal>

namespace tikkeli {

// Which members' rows a change of the member table touched: possibly any of them (rows imported
// or deleted in bulk, many rewritten, a typed statement) or only the members named. Changes add
// up, and one that may have touched any member makes the sum so too.
class ChangedMembers {
public:
    static ChangedMembers any();
    static ChangedMembers only(qint64 memberId);

    // Nothing announced.
    bool isEmpty() const { return !m_any && m_ids.isEmpty(); }
    // A change that may have touched any member: there is nothing to name.
    bool isAny() const { return m_any; }
    // The members named; empty when isAny().
    const QSet<qint64>& ids() const { return m_ids; }
    bool contains(qint64 memberId) const { return m_any || m_ids.contains(memberId); }
    void add(const ChangedMembers& other);

private:
    bool m_any = false;
    QSet<qint64> m_ids;
};

} // namespace tikkeli
