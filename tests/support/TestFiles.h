#pragma once

#include <QByteArray>
#include <QString>

namespace tikkeli::test {

// Whole-file reads and writes for tests that compare files byte for byte.
QByteArray ReadFileBytes(const QString& path);                     // empty when the file cannot be read
void WriteFileBytes(const QString& path, const QByteArray& bytes); // a failure fails the test

} // namespace tikkeli::test
