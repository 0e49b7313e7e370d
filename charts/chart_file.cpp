#include "charts/chart_file.h"

#include <QGraphicsScene>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace charts {

namespace {

bool writePng(QGraphicsScene& scene, QSaveFile& file)
{
    QImage image(kSavedSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter);
    }
    return image.save(&file, "PNG");
}

bool writeSvg(QGraphicsScene& scene, QSaveFile& file, const QString& title)
{
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(kSavedSize);
    svg.setViewBox(QRect(QPoint(0, 0), kSavedSize));
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    scene.render(&painter);
    return painter.end();
}

} // namespace

bool saveChart(std::unique_ptr<QChart> chart, const QStringList& paths, QString* why)
{
    const QString title = chart->title();
    // Drawn from a scene of its own, not a widget: nothing is shown, and only
    // the chart's layout is done here, no event reaches the program.
    QGraphicsScene scene;
    QChart* drawn = chart.release();
    scene.addItem(drawn); // the scene owns the chart
    drawn->setGeometry(QRectF(QPointF(0, 0), QSizeF(kSavedSize)));
    scene.setSceneRect(drawn->geometry());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);

    bool all = true;
    for (const QString& path : paths) {
        const QString suffix = QFileInfo(path).suffix().toLower();
        QSaveFile file(path);
        bool ok = (suffix == QLatin1String("png") || suffix == QLatin1String("svg")) && file.open(QIODevice::WriteOnly);
        if (ok)
            ok = suffix == QLatin1String("png") ? writePng(scene, file) : writeSvg(scene, file, title);
        if (ok)
            ok = file.commit();
        else
            file.cancelWriting();
        if (!ok) {
            if (why && all)
                *why = QStringLiteral("график не сохранён: ") + path;
            all = false;
        }
    }
    return all;
}

} // namespace charts
