#pragma once

#include <QString>
#include <array>

namespace tikkeli {

// One row of the label table Tarra: six lines of one address label. Each operation opens the
// database named by dbFileName for itself. A label left empty of changes is not written.
class cTarra {
public:
    cTarra() = default;
    // A pending change of a non-empty label is saved, unforced.
    ~cTarra();
    cTarra(const cTarra&) = delete;
    cTarra& operator=(const cTarra&) = delete;

    void setDbFileName(const QString& path) { m_dbFileName = path; }
    void setIsEmpty(bool empty) { m_empty = empty; }
    bool IsEmpty() const { return m_empty; }
    qint64 id() const { return m_empty ? 0 : m_id; }
    bool changed() const { return m_changed; }

    // Line i (1..6); "" outside that range. Setting keeps the first 255 characters; an index
    // outside 1..6 is ignored.
    QString Rivi(int i) const;
    void setRivi(int i, const QString& value);

    bool Read(qint64 id);
    bool Save(bool force);
    void Delete();
    void Undo();

private:
    void reset();

    QString m_dbFileName;
    qint64 m_id = 0;
    std::array<QString, 6> m_lines;
    std::array<QString, 6> m_undo;
    bool m_changed = false;
    bool m_empty = false;
};

// The label table as a whole.
class cTarrat {
public:
    void setDbFileName(const QString& path) { m_dbFileName = path; }
    void DeleteAll();

private:
    QString m_dbFileName;
};

} // namespace tikkeli
