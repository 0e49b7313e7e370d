#include "charts/chart_window.h"

#include "charts/chart_file.h"
#include "history/record.h"

#include <QChartView>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace charts {

namespace {

constexpr std::array<const char*, kPages> kPageTitles{"Поверка КСИЛ2-4Л", "Поверка КСИЛ5", "Калибровка", "Дрейф"};

int index(Page page)
{
    return static_cast<int>(page);
}

} // namespace

ChartWindow::ChartWindow(Builder builder, QWidget* parent) : QWidget(parent, Qt::Window), build_(std::move(builder))
{
    setWindowTitle(QStringLiteral("Графики"));
    resize(760, 520);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget;
    for (int p = 0; p < kPages; ++p) {
        auto* page = new QWidget;
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(2, 2, 2, 2);
        if (static_cast<Page>(p) == Page::Drift) {
            auto* choices = new QHBoxLayout;
            channel_ = new QComboBox;
            channel_->addItems({QStringLiteral("оба канала"), QStringLiteral("канал 1"), QStringLiteral("канал 2")});
            row_ = new QComboBox;
            row_->addItem(QStringLiteral("все ступени"));
            for (int k = 1; k <= history::kStageCount; ++k)
                row_->addItem(QStringLiteral("ступень %1").arg(k));
            row_->addItem(QStringLiteral("R0"));
            choices->addWidget(new QLabel(QStringLiteral("Канал:")));
            choices->addWidget(channel_);
            choices->addWidget(new QLabel(QStringLiteral("Ступень:")));
            choices->addWidget(row_);
            choices->addStretch();
            pageLayout->addLayout(choices);
            const auto rebuild = [this] { build(Page::Drift); };
            connect(channel_, &QComboBox::currentIndexChanged, this, rebuild);
            connect(row_, &QComboBox::currentIndexChanged, this, rebuild);
        }
        auto* view = new QChartView;
        view->setRenderHint(QPainter::Antialiasing);
        // A chart changes only when it is built again, and then the whole
        // view is drawn: the scene's own change reports, which would paint
        // again in whatever event round comes next, are not followed.
        view->setViewportUpdateMode(QGraphicsView::NoViewportUpdate);
        pageLayout->addWidget(view);
        views_[static_cast<std::size_t>(p)] = view;
        stale_[static_cast<std::size_t>(p)] = true;
        tabs_->addTab(page, QString::fromUtf8(kPageTitles[static_cast<std::size_t>(p)]));
    }
    layout->addWidget(tabs_);

    auto* buttons = new QHBoxLayout;
    note_ = new QLabel;
    auto* refresh = new QPushButton(QStringLiteral("Обновить"));
    auto* saveButton = new QPushButton(QStringLiteral("Сохранить…"));
    buttons->addWidget(note_, 1);
    buttons->addWidget(refresh);
    buttons->addWidget(saveButton);
    layout->addLayout(buttons);
    connect(refresh, &QPushButton::clicked, this, [this] { build(currentPage()); });
    connect(saveButton, &QPushButton::clicked, this, [this] { askToSave(); });
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int) {
        if (stale_[static_cast<std::size_t>(index(currentPage()))])
            build(currentPage());
    });
}

void ChartWindow::showPage(Page page)
{
    // Built before the tab changes, so the change finds it current.
    build(page);
    tabs_->setCurrentIndex(index(page));
    show();
    raise();
    activateWindow();
}

void ChartWindow::changed(Page page)
{
    stale_[static_cast<std::size_t>(index(page))] = true;
    if (!isVisible() || page != currentPage() || queued_)
        return;
    queued_ = true;
    QMetaObject::invokeMethod(this, [this] { buildStale(); }, Qt::QueuedConnection);
}

void ChartWindow::markStale(Page page)
{
    stale_[static_cast<std::size_t>(index(page))] = true;
}

bool ChartWindow::stale(Page page) const
{
    return stale_[static_cast<std::size_t>(index(page))];
}

void ChartWindow::drawNow(Page page)
{
    build(page);
    view(page)->viewport()->repaint();
}

void ChartWindow::buildStale()
{
    queued_ = false;
    if (isVisible() && stale_[static_cast<std::size_t>(index(currentPage()))])
        build(currentPage());
}

Page ChartWindow::currentPage() const
{
    return static_cast<Page>(tabs_->currentIndex());
}

QChart* ChartWindow::chart(Page page) const
{
    return views_[static_cast<std::size_t>(index(page))]->chart();
}

QChartView* ChartWindow::view(Page page) const
{
    return views_[static_cast<std::size_t>(index(page))];
}

DriftChoice ChartWindow::driftChoice() const
{
    const int row = row_->currentIndex(); // 0 every stage, 1..18 a stage, then R0
    return {channel_->currentIndex(), row};
}

void ChartWindow::setDriftChoice(const DriftChoice& choice)
{
    const QSignalBlocker a(channel_), b(row_);
    channel_->setCurrentIndex(choice.channel);
    row_->setCurrentIndex(choice.row);
    build(Page::Drift);
}

void ChartWindow::build(Page page)
{
    QChartView* view = views_[static_cast<std::size_t>(index(page))];
    std::unique_ptr<QChart> fresh = build_(page, driftChoice());
    QChart* old = view->chart();
    view->setChart(fresh.release());
    delete old;
    stale_[static_cast<std::size_t>(index(page))] = false;
    // Laid out now and the whole view redrawn at the next paint: the chart is
    // drawn complete even where the program paints without pumping events.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    view->viewport()->update();
}

QString ChartWindow::save(Page page, const QString& path) const
{
    QString why;
    if (!saveChart(build_(page, driftChoice()), {path}, &why))
        return why;
    return {};
}

void ChartWindow::askToSave()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить график"), QString(),
                                                      QStringLiteral("PNG (*.png);;SVG (*.svg)"));
    if (path.isEmpty())
        return;
    const QString why = save(currentPage(), path);
    note_->setText(why.isEmpty() ? QStringLiteral("Сохранено: ") + path : why);
}

} // namespace charts
