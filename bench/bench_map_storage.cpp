// The map picture kept in the database, 100 MB of it, against the same bytes in a plain file, in
// the same run:
// - opening the map: the picture read chunk by chunk with its progress steps vs the file read in
//   chunks of the same size into one buffer;
// - loading a new map: the picture stored in one transaction (the old one deleted, the database
//   flushed) vs the bytes written to a new file and flushed.
// The two sides run interleaved; the ratio is of the medians (PairedRatio.h).
#include "ClubFixture.h"
#include "PairedRatio.h"
#include "maps/MapStorage.h"

#include <QCoreApplication>
#include <QFile>
#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

constexpr qint64 kPictureBytes = 100 * 1000 * 1000;

struct PictureFixture {
    ClubFixture club{10};
    tikkeli::Database db;
    QByteArray picture;
    QString file;

    PictureFixture()
    {
        picture.resize(kPictureBytes);
        quint32 x = 29;
        for (char& c : picture) {
            x = x * 1664525u + 1013904223u;
            c = char(x >> 24);
        }
        db = tikkeli::Database::open(club.database);
        tikkeli::MapStorage::SavePictureBytes(db, picture);
        file = club.dir.filePath(QStringLiteral("kartta.png"));
        writeFile(file);
    }
    void writeFile(const QString& path) const
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(picture);
        f.flush();
        ::fsync(f.handle());
    }
};

PictureFixture& fixture()
{
    static PictureFixture f;
    return f;
}

void BM_OpenTheStoredPicture(benchmark::State& state)
{
    PictureFixture& f = fixture();
    RunPaired(
        state, "read 100 MB picture vs the same bytes from a file", 1.3,
        [&] {
            QFile in(f.file);
            in.open(QIODevice::ReadOnly);
            QByteArray bytes(in.size(), Qt::Uninitialized);
            int steps = 0;
            for (qint64 offset = 0; offset < bytes.size(); offset += tikkeli::MapStorage::ChunkSize) {
                in.read(bytes.data() + offset, std::min(tikkeli::MapStorage::ChunkSize, bytes.size() - offset));
                ++steps;
            }
            benchmark::DoNotOptimize(steps);
            benchmark::DoNotOptimize(bytes.data());
        },
        [&] {
            int steps = 0;
            const auto m = tikkeli::MapStorage::Read(f.db, [&](int done, int) { steps = done; });
            benchmark::DoNotOptimize(steps);
            benchmark::DoNotOptimize(m.picture.data());
        });
}
BENCHMARK(BM_OpenTheStoredPicture)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StoreANewPicture(benchmark::State& state)
{
    PictureFixture& f = fixture();
    const QString copy = f.club.dir.filePath(QStringLiteral("uusi.png"));
    RunPaired(
        state, "store 100 MB picture vs write and flush a file", 8, [&] { f.writeFile(copy); },
        [&] { tikkeli::MapStorage::SavePictureBytes(f.db, f.picture); }, [&] { QFile::remove(copy); });
}
BENCHMARK(BM_StoreANewPicture)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv);
}
