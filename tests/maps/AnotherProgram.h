#pragma once

#include <QFile>
#include <QString>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tikkeli::test {

// Another program writing to the file through its own connection.
inline void writeFromAnotherProgram(const QString& path, const char* sql)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(other);
    sqlite3_close(other);
}

} // namespace tikkeli::test
