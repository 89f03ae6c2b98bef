#pragma once

#include "base/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tikkeli::test {

// What a command that met a replaced file tells, whichever window it is.
inline const QString ReplacedFileMessage = QStringLiteral("Tiedot luetaan tiedostosta uudelleen");

// A message box runs the event loop while it is open: what the windows are told meanwhile is heard
// before the user can do anything more. The scripted boxes do the same.
inline void MessagesRunTheEventLoop(ScriptedPrompter& prompter)
{
    prompter.onMessage([](const ScriptedPrompter::Shown&) { QCoreApplication::processEvents(); });
}

// Another program restores a backup over the club file while this program has it open: a copy of
// the file, changed by sql through that program's own connection, takes the file's place by a
// rename, as a restore does.
inline void RestoreChangedCopy(const QString& path, const QString& sql)
{
    const QString copy = path + QStringLiteral(".palautus");
    ASSERT_TRUE(QFile::copy(path, copy));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(copy).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(other, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(other);
    ASSERT_EQ(rc, SQLITE_OK) << message.toStdString();
    ASSERT_EQ(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData()), 0);
}

// The texts of the first column of a query, read by another program's connection, each row's
// text joined by "|" (a Null as "-"): what the file at the path holds, whatever this program has
// open.
inline QString FileRows(const QString& path, const QString& sql)
{
    sqlite3* other = nullptr;
    QStringList rows;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &other, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(other, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
                rows << (text ? QString::fromUtf8(text) : QStringLiteral("-"));
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(other);
    return rows.join(u'|');
}

} // namespace tikkeli::test
