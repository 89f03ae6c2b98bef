#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tikkeli::test {

// The user folders a test program runs on: its own, made when it starts and gone when it ends.
// The configuration folder (the ini under its bare name, Qt's own settings) and the documents
// folder lie in it, and no stand-in stick is named. What a user has set (TIKKELI_INI,
// TIKKELI_DOCUMENTS, TIKKELI_KOPIOTIKKU, the XDG configuration folder) reaches no test, and no test
// writes into the user's own files. A test that needs one of these set sets it itself.
class ThrowAwayUserFolders {
public:
    ThrowAwayUserFolders();
    ~ThrowAwayUserFolders();
    ThrowAwayUserFolders(const ThrowAwayUserFolders&) = delete;
    ThrowAwayUserFolders& operator=(const ThrowAwayUserFolders&) = delete;

    // The folder that holds them while a test program runs; empty outside one.
    static QString root();

private:
    QTemporaryDir m_dir;
};

} // namespace tikkeli::test
