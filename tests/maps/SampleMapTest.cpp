#include "maps/BoundaryCache.h"
#include "maps/EstatePicker.h"
#include "maps/MapStorage.h"
#include "maps/MapUnits.h"
#include "contracts/ContractTestDb.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

TEST(SampleMap, TheSampleClubCarriesAScannedMapWithBoundariesOnIt)
{
    ContractTestDb t(ContractTestDb::Source::Sample);
    const MapStorage::StoredMap m = MapStorage::Read(t.db);
    ASSERT_TRUE(m.exists);
    EXPECT_EQ(m.scale, 20000);
    EXPECT_GT(m.pixelRatio, 0.0);
    QImage picture;
    ASSERT_TRUE(picture.loadFromData(m.picture));
    const QSizeF extent = map::pictureSizeInTwips(picture.size());

    BoundaryCache cache;
    int closedInside = 0;
    for (const EstateBoundary& e : cache.estates(t.db)) {
        const QRectF box = e.bounds();
        const bool inside = box.left() >= 0 && box.top() >= 0 && box.right() <= extent.width()
                            && box.bottom() <= extent.height();
        EXPECT_TRUE(inside) << e.tlId;
        // A real area: three corners or more, not all on one line.
        if (inside && e.points.size() >= 3 && box.width() > 0 && box.height() > 0)
            ++closedInside;
        // Every boundary belongs to an estate of a contract.
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl, vs WHERE tl.tlvsID = vs.vsID AND tl.tlID = ?"),
                          {Value(e.tlId)}),
                  1);
    }
    EXPECT_GE(closedInside, 10);
    EXPECT_FALSE(EstatePicker::items(t.db, EstatePicker::Filter::Undrawn).empty());
}
