#include "support/ReadOnlyAnswers.h"

#include <QFile>
#include <QStringList>
#include <sqlite3.h>

namespace tikkeli::test {

QString ReadOnlyAnswers(const QString& path, std::initializer_list<const char*> statements)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QStringList out;
    for (const char* sql : statements) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        out << (sqlite3_step(st) == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                                               : QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    return out.join(u' ');
}

} // namespace tikkeli::test
