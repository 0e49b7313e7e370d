#include "charts/chart_build.h"

#include "history/record.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace charts {

namespace {

const QColor kChannelColours[] = {QColor(0x1f, 0x5f, 0xbf), QColor(0x2e, 0x8b, 0x3a), QColor(0x8a, 0x4f, 0xb0),
                                  QColor(0xc0, 0x7a, 0x10), QColor(0x20, 0x90, 0x90)};
const QColor kOutsideColour(0xd0, 0x10, 0x10);
const QColor kEnvelopeColour(0x80, 0x80, 0x80);

QList<QPointF> qtPoints(const std::vector<XY>& points)
{
    QList<QPointF> list;
    list.reserve(static_cast<qsizetype>(points.size()));
    for (const XY& p : points)
        list.append(QPointF(p.x, p.y));
    return list;
}

QLineSeries* line(const QString& name, const std::vector<XY>& points, const QColor& colour, Qt::PenStyle style,
                  bool markers)
{
    auto* series = new QLineSeries;
    series->setName(name);
    series->replace(qtPoints(points));
    QPen pen(colour);
    pen.setWidthF(style == Qt::SolidLine ? 2.0 : 1.5);
    pen.setStyle(style);
    series->setPen(pen);
    series->setPointsVisible(markers);
    return series;
}

void attach(QChart& chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y)
{
    chart.addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

std::unique_ptr<QChart> newChart(const QString& title)
{
    auto chart = std::make_unique<QChart>();
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

} // namespace

ChartTexts verificationTexts()
{
    return {QStringLiteral("Поверка КСИЛ2-4Л: отклонение от заданного"), QStringLiteral("R заданное, Ом"),
            QStringLiteral("R измеренное − R заданное, Ом"), QStringLiteral("± норма")};
}

ChartTexts ksil5Texts()
{
    return {QStringLiteral("Поверка КСИЛ5: отклонение от заданного"), QStringLiteral("Rn, Ом"),
            QStringLiteral("dR = Rx − Rn, Ом"), QStringLiteral("± An")};
}

ChartTexts calibrationTexts()
{
    return {QStringLiteral("Калибровка КСИЛ2-4Л: отклонение ступеней от номинала"),
            QStringLiteral("Номинал ступени, Ом"), QStringLiteral("Отклонение от номинала, %"),
            QStringLiteral("± допуск")};
}

QString channelName(int channel)
{
    return QStringLiteral("Канал %1").arg(channel);
}

QString outsideName()
{
    return QStringLiteral("Вне нормы");
}

QString driftLineName(int channel, int row)
{
    const QString cell = row == history::kR0Row ? QStringLiteral("R0") : QStringLiteral("ступень %1").arg(row);
    return channelName(channel) + QStringLiteral(", ") + cell;
}

std::unique_ptr<QChart> deviationChart(const DeviationData& data, const ChartTexts& texts)
{
    auto chart = newChart(texts.title);
    auto* x = new QLogValueAxis;
    x->setBase(10.0);
    x->setLabelFormat(QStringLiteral("%g"));
    x->setMinorTickCount(8);
    x->setTitleText(texts.xTitle);
    x->setRange(data.x.low, data.x.high);
    auto* y = new QValueAxis;
    y->setTitleText(texts.yTitle);
    y->setRange(data.y.low, data.y.high);
    y->setLabelFormat(QStringLiteral("%.3g"));
    y->setTickCount(9);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    attach(*chart, line(texts.tolerance, data.upper, kEnvelopeColour, Qt::DashLine, false), x, y);
    QLineSeries* lower = line(texts.tolerance, data.lower, kEnvelopeColour, Qt::DashLine, false);
    attach(*chart, lower, x, y);
    for (const ChannelLine& c : data.channels) {
        const QColor& colour = kChannelColours[static_cast<std::size_t>(c.channel - 1) % std::size(kChannelColours)];
        attach(*chart, line(channelName(c.channel), c.points, colour, Qt::SolidLine, true), x, y);
    }
    auto* outside = new QScatterSeries;
    outside->setName(outsideName());
    outside->setColor(kOutsideColour);
    outside->setBorderColor(kOutsideColour.darker());
    outside->setMarkerSize(11.0);
    outside->replace(qtPoints(data.outside));
    attach(*chart, outside, x, y);
    // The envelope once in the legend.
    for (QLegendMarker* marker : chart->legend()->markers(lower))
        marker->setVisible(false);
    return chart;
}

std::unique_ptr<QChart> driftChart(const std::vector<DriftLine>& lines, DriftValue value)
{
    auto chart = newChart(lines.empty() ? QStringLiteral("Дрейф ступеней модуля: в истории нет калибровок модуля")
                                        : QStringLiteral("Дрейф ступеней модуля"));
    auto* x = new QDateTimeAxis;
    x->setTitleText(QStringLiteral("Дата калибровки"));
    x->setFormat(QStringLiteral("dd.MM.yyyy"));
    auto* y = new QValueAxis;
    y->setTitleText(value == DriftValue::Ohms ? QStringLiteral("Значение, Ом")
                                              : QStringLiteral("Отклонение от номинала, %"));
    y->setLabelFormat(QStringLiteral("%.4g"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    double xLow = INFINITY, xHigh = -INFINITY, yLow = INFINITY, yHigh = -INFINITY;
    int index = 0;
    for (const DriftLine& l : lines) {
        const QColor colour = QColor::fromHsv((index++ * 47) % 360, 200, l.channel == 1 ? 190 : 140);
        attach(*chart, line(driftLineName(l.channel, l.row), l.points, colour, Qt::SolidLine, true), x, y);
        for (const XY& p : l.points) {
            xLow = std::min(xLow, p.x);
            xHigh = std::max(xHigh, p.x);
            yLow = std::min(yLow, p.y);
            yHigh = std::max(yHigh, p.y);
        }
    }
    if (lines.empty()) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        xLow = static_cast<double>(now) - 86400000.0;
        xHigh = static_cast<double>(now);
        yLow = -1.0;
        yHigh = 1.0;
    }
    // A day either side, so that a single calibration is a point inside the chart.
    constexpr double kDayMs = 86400000.0;
    x->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(xLow - kDayMs)),
                QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(xHigh + kDayMs)));
    const double margin = yHigh > yLow ? 0.1 * (yHigh - yLow) : std::max(std::fabs(yHigh) * 0.01, 1e-3);
    y->setRange(yLow - margin, yHigh + margin);
    chart->legend()->setVisible(lines.size() <= 20);
    return chart;
}

} // namespace charts
