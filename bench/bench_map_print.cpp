// The whole-map print of a 10,000 x 8,000 pixel picture with 1,000 boundaries of 50 points, laid
// out into the page model and written to PDF, against a QPainter on a QPdfWriter drawing the same
// image and lines at the same places.
#include "maps/MapPrint.h"
#include "printing/PagePainter.h"
#include "printing/ReportDefinition.h"
#include "printing/TextMeasurer.h"
#include "PairedRatio.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cmath>

using namespace tikkeli;

namespace {

struct Setup {
    QTemporaryDir dir;
    MapPrintJob job;
    MapPrinterMetrics metrics{QSizeF(210, 297), QRectF(5, 5, 200, 287)};

    Setup()
    {
        auto picture = std::make_shared<QImage>(10000, 8000, QImage::Format_RGB32);
        QPainter p(picture.get());
        p.fillRect(picture->rect(), QColor(236, 240, 226));
        QRandomGenerator random(7);
        for (int i = 0; i < 400; ++i) {
            p.setBrush(QColor::fromHsv(int(random.bounded(360)), 60, 200));
            p.drawEllipse(QPointF(random.bounded(10000), random.bounded(8000)), 200, 120);
        }
        p.end();
        job.picture = picture;
        job.scale = 20000;
        job.pixelRatio = 150;
        job.title = QStringLiteral("Seuran metsästysalueet");
        for (int e = 0; e < 1000; ++e) {
            const QPointF centre(random.bounded(140000.0) + 5000, random.bounded(110000.0) + 5000);
            QPolygonF boundary;
            for (int k = 0; k < 50; ++k) {
                const double a = 2 * M_PI * k / 50;
                boundary << centre + QPointF(std::cos(a), std::sin(a)) * (1500 + random.bounded(800));
            }
            job.boundaries.push_back(boundary);
        }
        TextMeasurer measurer;
        job.N = *WholeMapPrintScale(job.scale, job.pixelRatio, QSizeF(150000, 120000), metrics, measurer);
    }
};

Setup* setup()
{
    static Setup s;
    return &s;
}

void ours()
{
    TextMeasurer measurer;
    const ReportDocument doc = ComposeMapPrint(setup()->job, setup()->metrics, measurer);
    PagePainter::writePdf(doc, setup()->dir.filePath(QStringLiteral("ours.pdf")));
}

void painterToPdf()
{
    const Setup& s = *setup();
    QPdfWriter writer(s.dir.filePath(QStringLiteral("plain.pdf")));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(1200);
    QPainter painter(&writer);
    const double dots = 1200 / 25.4;
    // The same sheet: the part of the picture that fits, the boundaries over it, the title on top.
    const double mmPerTwip = 20000.0 / (double(s.job.N) * 150.0);
    const double shownW = std::min(150000.0, 200 / mmPerTwip), shownH = std::min(120000.0, 287 / mmPerTwip);
    const QRectF target(5 * dots, 5 * dots, shownW * mmPerTwip * dots, shownH * mmPerTwip * dots);
    painter.drawImage(target, *s.job.picture, QRectF(0, 0, shownW / 15, shownH / 15));
    painter.setPen(QPen(Qt::black, 0.5 / 72 * 1200));
    const double k = mmPerTwip * dots;
    for (const QPolygonF& b : s.job.boundaries)
        for (qsizetype i = 0; i + 1 < b.size(); ++i)
            painter.drawLine(QLineF(5 * dots + b[i].x() * k, 5 * dots + b[i].y() * k, 5 * dots + b[i + 1].x() * k,
                                    5 * dots + b[i + 1].y() * k));
    painter.setFont(QFont(QStringLiteral("Arial"), 12));
    painter.drawText(QPointF(6.76 * dots, 10 * dots), s.job.title);
}

void BM_MapPrintVsPainter(benchmark::State& state)
{
    RunPaired(state, "whole map 10000x8000 px, 1000 boundaries to PDF vs QPainter on QPdfWriter", 1.3, painterToPdf, ours);
}
BENCHMARK(BM_MapPrintVsPainter)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv, [] { setup(); });
}
