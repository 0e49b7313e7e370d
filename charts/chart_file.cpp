#include "charts/chart_file.h"

#include <QChartView>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace charts {

namespace {

bool writePng(QChartView& view, QSaveFile& file)
{
    QImage image(kSavedSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        view.render(&painter);
    }
    return image.save(&file, "PNG");
}

bool writeSvg(QChartView& view, QSaveFile& file, const QString& title)
{
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(kSavedSize);
    svg.setViewBox(QRect(QPoint(0, 0), kSavedSize));
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    view.render(&painter);
    return painter.end();
}

} // namespace

bool saveChart(std::unique_ptr<QChart> chart, const QStringList& paths, QString* why)
{
    const QString title = chart->title();
    QChartView view(chart.release()); // the view owns the chart
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(kSavedSize);
    // The chart takes the view's size and lays itself out before it is drawn;
    // only layout is done here, no input reaches the program.
    QResizeEvent resize(kSavedSize, QSize());
    QCoreApplication::sendEvent(&view, &resize);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);

    bool all = true;
    for (const QString& path : paths) {
        const QString suffix = QFileInfo(path).suffix().toLower();
        QSaveFile file(path);
        bool ok = (suffix == QLatin1String("png") || suffix == QLatin1String("svg")) && file.open(QIODevice::WriteOnly);
        if (ok)
            ok = suffix == QLatin1String("png") ? writePng(view, file) : writeSvg(view, file, title);
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
