#pragma once

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <set>

namespace tikkeli::test {

// The names the program's headers declare by a pattern whose first group is the class name, so a
// sweep over every window of a kind can tell when one is added.
inline std::set<QString> ClassesInSources(const QRegularExpression& declaration)
{
    std::set<QString> found;
    QDirIterator it(QStringLiteral(TIKKELI_SOURCE_DIR "/src"), {QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = declaration.globalMatch(text); m.hasNext();)
            found.insert(m.next().captured(1));
    }
    return found;
}

} // namespace tikkeli::test
