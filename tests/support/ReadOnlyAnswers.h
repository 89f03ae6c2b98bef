#pragma once

#include <QString>

#include <initializer_list>

namespace tikkeli::test {

// The first column of each statement's first row (or the library's error) on the database file at
// path, opened read-only so nothing of the file changes; joined with spaces.
QString ReadOnlyAnswers(const QString& path, std::initializer_list<const char*> statements);

} // namespace tikkeli::test
