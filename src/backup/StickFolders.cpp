#include "backup/StickFolders.h"

#include "base/Folders.h"
#include "base/SharedState.h"

#include <QDir>

#include <algorithm>

namespace tikkeli {

QString StickFolders::rootFolder(const QString& mountFolder)
{
    return JoinPath(mountFolder, State().ProgramTitle);
}

QString StickFolders::dayFolderName(const QDate& day)
{
    return day.toString(QStringLiteral("yyyyMMdd"));
}

QString StickFolders::dayFolder(const QString& root, qint32 day)
{
    return JoinPath(root, QString::number(day).rightJustified(8, QLatin1Char('0')));
}

QString StickFolders::dayText(qint32 day)
{
    const QString digits = QString::number(day).rightJustified(8, QLatin1Char('0'));
    return digits.right(2) + QLatin1Char('.') + digits.mid(4, 2) + QLatin1Char('.') + digits.left(4);
}

QList<qint32> StickFolders::days(const QString& root)
{
    QList<qint32> result;
    const QStringList names = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const bool eightDigits = name.size() == 8
                                 && std::all_of(name.begin(), name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (eightDigits)
            result.append(name.toInt());
    }
    std::sort(result.begin(), result.end(), std::greater<>());
    return result;
}

QStringList StickFolders::files(const QString& dayFolder)
{
    return QDir(dayFolder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

} // namespace tikkeli
