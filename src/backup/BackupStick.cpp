#include "backup/BackupStick.h"

#include "platform/VolumeList.h"

namespace tikkeli {

std::optional<VolumeInfo> BackupStick::find(const VolumeInfos& volumes)
{
    for (const VolumeInfo& v : volumes) {
        if (v.ready && v.removable && v.label.toUpper() == Label)
            return v;
    }
    return std::nullopt;
}

std::optional<VolumeInfo> BackupStick::find()
{
    return find(VolumeList::instance().volumes());
}

bool BackupStick::fileTooLargeFor(const VolumeInfo& stick, qint64 size)
{
    const QString fs = stick.fileSystem.toLower();
    const bool fat = fs == QLatin1String("vfat") || fs == QLatin1String("msdos") || fs == QLatin1String("fat")
                     || fs == QLatin1String("fat32");
    return fat && size > Q_INT64_C(0xFFFFFFFF);
}

QString BackupStick::notFoundText()
{
    return QStringLiteral("Sopivaa muistitikkua ei löydy. Varmuuskopioinnin muistitikun nimen (levynimen) on oltava "
                          "KOPIOTIKKU. Nimeä tikku tiedostonhallinnassa (tikun kohdalla Nimeä uudelleen tai "
                          "Ominaisuudet) tai päätteessä komennolla fatlabel /dev/sdX1 KOPIOTIKKU (exFAT-tikulle "
                          "exfatlabel), irrota tikku ja aseta se uudelleen paikalleen.");
}

} // namespace tikkeli
