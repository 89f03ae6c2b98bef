#pragma once

#include "platform/VolumeList.h"

namespace tikkeli::test {

// Volumes a test chooses, installed as the program's volume list while it lives.
class FakeVolumes : public VolumeList {
public:
    FakeVolumes() { VolumeList::setInstance(this); }
    ~FakeVolumes() override { VolumeList::setInstance(nullptr); }
    VolumeInfos volumes() const override { return list; }

    // A ready, removable volume at folder.
    VolumeInfo& add(const QString& folder, const QString& label = QStringLiteral("KOPIOTIKKU"),
                    qint64 freeBytes = Q_INT64_C(1) << 32, const QString& fileSystem = QStringLiteral("exfat"))
    {
        VolumeInfo v;
        v.mountFolder = folder;
        v.label = label;
        v.fileSystem = fileSystem;
        v.ready = true;
        v.removable = true;
        v.freeBytes = freeBytes;
        list.append(v);
        return list.last();
    }

    VolumeInfos list;
};

} // namespace tikkeli::test
