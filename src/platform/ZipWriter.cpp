#include "platform/ZipWriter.h"

#include <QFile>

#include <zip.h>

namespace tikkeli {

namespace {

struct Callbacks {
    const std::function<void(double)>* progress;
    const std::atomic<bool>* cancel;
};

void onProgress(zip_t*, double done, void* user)
{
    const auto* c = static_cast<Callbacks*>(user);
    if (*c->progress)
        (*c->progress)(done);
}

int onCancel(zip_t*, void* user)
{
    const auto* c = static_cast<Callbacks*>(user);
    return c->cancel && c->cancel->load() ? 1 : 0;
}

} // namespace

std::optional<QString> ZipWriter::zipFile(const QString& source, const QString& zipPath, const QString& entryName,
                                          const std::function<void(double)>& progress, const std::atomic<bool>* cancel)
{
    int err = 0;
    zip_t* zip = zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!zip) {
        zip_error_t e;
        zip_error_init_with_code(&e, err);
        const QString text =
            QStringLiteral("Pakettia %1 ei voitu luoda: %2").arg(zipPath, QString::fromUtf8(zip_error_strerror(&e)));
        zip_error_fini(&e);
        return text;
    }
    auto failure = [&](const QString& what) {
        const QString text = what + QStringLiteral(": ") + QString::fromUtf8(zip_strerror(zip));
        zip_discard(zip);
        QFile::remove(zipPath);
        return text;
    };
    zip_source_t* src = zip_source_file(zip, QFile::encodeName(source).constData(), 0, -1);
    if (!src)
        return failure(QStringLiteral("Tiedostoa %1 ei voitu lukea").arg(source));
    const zip_int64_t index = zip_file_add(zip, entryName.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
        zip_source_free(src);
        return failure(QStringLiteral("Tiedostoa %1 ei voitu lisätä pakettiin").arg(source));
    }
    zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6);
    Callbacks callbacks{&progress, cancel};
    zip_register_progress_callback_with_state(zip, 0.01, &onProgress, nullptr, &callbacks);
    zip_register_cancel_callback_with_state(zip, &onCancel, nullptr, &callbacks);
    if (zip_close(zip) != 0)
        return failure(cancel && cancel->load() ? QStringLiteral("Pakkaus peruttiin")
                                                : QStringLiteral("Pakkaus ei onnistunut"));
    return std::nullopt;
}

} // namespace tikkeli
