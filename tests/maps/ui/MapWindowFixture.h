#pragma once

#include "base/ScriptedPrompter.h"
#include "ui/FormRegistry.h"
#include "contracts/ContractTestDb.h"
#include "maps/MapStorage.h"
#include "maps/cRajat.h"
#include "maps/ui/MapView.h"
#include "maps/ui/frmKartta.h"
#include "support/Controls.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace tikkeli::test {

// The sample club with a map of our own: a white 1200 x 900 pixel picture whose
// boundary corners are marked with blue dots, and two drawn estates on it:
// estate 1 a square, estate 2 a triangle. Every other sample estate is undrawn.
struct MapWindowFixture : ::testing::Test {
    static constexpr qint64 kSquare = 1;
    static constexpr qint64 kTriangle = 2;
    static constexpr qint64 kUndrawn = 3;
    // Corners in picture pixels; map twips are 15 times these.
    static inline const std::vector<QPoint> kSquarePixels{{100, 100}, {300, 100}, {300, 300}, {100, 300}};
    static inline const std::vector<QPoint> kTrianglePixels{{500, 200}, {700, 500}, {400, 500}};
    static QColor markColor() { return QColor(0, 0, 255); }

    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;

    void SetUp() override
    {
        t.db.execute(QStringLiteral("DELETE FROM rj"));
        MapStorage::SavePictureBytes(t.db, pictureBytes());
        MapStorage::SaveMapScale(t.db, 20000);
        MapStorage::SaveMapPixelRatio(t.db, 144.0);
        draw(kSquare, kSquarePixels);
        draw(kTriangle, kTrianglePixels);
        frmKartta::PickEstate = {};
        frmKartta::ChooseEstates = {};
        frmKartta::ShowEstateInfo = {};
    }
    void TearDown() override
    {
        // A drawing left running asks at the close: its corners are dropped.
        if (frmKartta* w = frmKartta::Instance(); w && !w->tool().idle())
            prompter.answer(w->tool().chain().size() >= 3 ? MsgResult::No : MsgResult::Yes);
        FormRegistry::CloseAllForms();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmKartta::PickEstate = {};
        frmKartta::ChooseEstates = {};
        frmKartta::ShowEstateInfo = {};
    }

    // Lines are drawn without smoothing through positions between pixels: the colour is looked
    // for in the pixel's neighbourhood.
    static bool colourNear(const QImage& image, QPointF pos, const QColor& colour)
    {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (image.pixelColor(pos.toPoint() + QPoint(dx, dy)) == colour)
                    return true;
        return false;
    }
    static QPointF twips(QPoint pixel) { return QPointF(pixel) * 15.0; }
    void draw(qint64 estate, const std::vector<QPoint>& pixels)
    {
        cRajat boundary(t.db, estate);
        for (const QPoint& p : pixels)
            boundary.AddNewRaja(float(twips(p).x()), float(twips(p).y()));
    }
    static QImage picture()
    {
        QImage image(1200, 900, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        for (const auto* corners : {&kSquarePixels, &kTrianglePixels})
            for (const QPoint& p : *corners)
                painter.fillRect(QRect(p - QPoint(3, 3), QSize(7, 7)), markColor());
        return image;
    }
    static QByteArray pictureBytes(const char* format = "PNG")
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture().save(&buffer, format);
        return bytes;
    }

    frmKartta* open()
    {
        frmKartta* w = frmKartta::Load();
        if (w) {
            w->resize(1000, 700);
            QApplication::processEvents();
        }
        return w;
    }
    MapView* view(frmKartta& w) { return Control<MapView>(w, "Picture1"); }
    QString label(frmKartta& w, const char* name) { return Control<QLabel>(w, name)->text(); }
    // The widget position of a map point on the view.
    QPoint at(frmKartta& w, QPointF map) { return view(w)->widgetPosOf(map).toPoint(); }
    void click(frmKartta& w, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(view(w), button, {}, pos);
    }
    qint64 rows(const QString& where = QString(), const Params& p = {})
    {
        return t.count(QStringLiteral("SELECT COUNT(*) FROM rj") + where, p);
    }
};

} // namespace tikkeli::test
