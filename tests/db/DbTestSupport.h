#pragma once

#include "db/Database.h"

#include <QTemporaryDir>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace tikkeli {

inline void PrintTo(const Value& v, std::ostream* os)
{
    *os << "Value(" << int(v.kind()) << ": " << v.toString().toStdString() << ")";
}

// A fresh folder per test with helpers to make database files in it.
class DbFolder {
public:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    Database create(const QString& name = QStringLiteral("testi.mdb")) { return Database::create(path(name)); }

private:
    QTemporaryDir m_dir;
};

} // namespace tikkeli
