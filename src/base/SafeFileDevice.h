#pragma once

#include "base/FileSafety.h"

#include <QByteArray>
#include <QIODevice>

#include <optional>

namespace tikkeli {

// A new file written piece by piece, for writers that want a device (the PDF writer): the bytes go
// into a temporary file beside the target, every write is checked, and only commit() flushes the
// file to the disk and gives it the target's name. Until then, and after any failure, the old
// file stays as it was; a device dropped without a commit leaves nothing behind. The temporary
// file carries tag (FileSafety::temporaryName): what a stopped writer left beside the target is
// removed when the next one begins. mayReplace decides whether the file may be put at the target:
// it is asked before anything is written and again right before the rename.
class SafeFileDevice : public QIODevice {
public:
    SafeFileDevice(QString target, QString tag, FileSafety::TargetCheck mayReplace);
    ~SafeFileDevice() override;
    SafeFileDevice(const SafeFileDevice&) = delete;
    SafeFileDevice& operator=(const SafeFileDevice&) = delete;

    // Creates the temporary file; the error when that fails or the target is refused.
    std::optional<FileError> begin();
    // The first failure of a write, then the close, the flush and the rename; nullopt when the
    // target now holds every byte written.
    std::optional<FileError> commit();

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    void discard();
    // Writes out what is held; false (and m_error set) when the disk refuses.
    bool flushBuffer();

    QString m_target;
    QString m_tag;
    FileSafety::TargetCheck m_mayReplace;
    QString m_temp;
    int m_fd = -1;
    int m_error = 0; // errno of the first failed write
    QByteArray m_buffer;
};

} // namespace tikkeli
