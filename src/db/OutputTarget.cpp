#include "db/OutputTarget.h"

#include "db/DatabaseProbe.h"
#include "db/FileHold.h"

#include <QDir>

namespace tikkeli {

QString OutputTarget::clubDatabaseText(const QString& path)
{
    return QStringLiteral("Tiedosto '%1' on seuran tietokanta: sen tilalle ei tallenneta muuta tiedostoa.")
        .arg(QDir::toNativeSeparators(path));
}

std::optional<FileError> OutputTarget::refusal(const QString& path)
{
    const DbFileProbe probe = ProbeDatabaseFile(path);
    // The probe reads the header without a descriptor of its own, so it may look at the club's
    // file under this program's connections; the look at the holds opens one, which only a file
    // no connection can have open may get: one that is not a database of ours.
    if (probe.isSQLite() || probe.kind == DbFileKind::Access || FileHold::heldByAny(path))
        return FileError(FileErr::PermissionDenied, clubDatabaseText(path));
    // The journal beside a database is part of it: after a stopped save it holds what rolls the
    // file back to a whole one.
    for (const QLatin1String suffix : {QLatin1String("-journal"), QLatin1String("-wal")}) {
        if (path.endsWith(suffix) && refusal(path.chopped(suffix.size())))
            return FileError(FileErr::PermissionDenied, clubDatabaseText(path));
    }
    return std::nullopt;
}

void OutputTarget::guard(FileDialogRequest& request)
{
    request.refuse = [](const QString& file) -> std::optional<QString> {
        if (const std::optional<FileError> refused = refusal(file))
            return refused->description + QStringLiteral("\n\nValitse toinen tiedoston nimi.");
        return std::nullopt;
    };
}

} // namespace tikkeli
