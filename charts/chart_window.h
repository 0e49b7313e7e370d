// The charts window: one page each for the verification of a КСИЛ2-4Л, the
// КСИЛ5 run, the calibration table and the module's drift. The pages are built
// by whoever owns the data (the program reads its tables and its history);
// the window decides when: a page whose data changed is built again in the
// next round of posted events, so a run that pumps no events has it drawn
// inside its settling waits, with the tables.
#pragma once

#include <QChart>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QChartView;
class QComboBox;
class QLabel;
class QTabWidget;

namespace charts {

enum class Page { Verification, Ksil5, Calibration, Drift };
inline constexpr int kPages = 4;

// The drift page's choice: 0 for both channels, every stage (and R0).
struct DriftChoice {
    int channel = 0;
    int row = 0;
};

class ChartWindow : public QWidget {
public:
    using Builder = std::function<std::unique_ptr<QChart>(Page, const DriftChoice&)>;

    explicit ChartWindow(Builder builder, QWidget* parent = nullptr);

    // Shows the window (raised) on the page, built from the data as it is now.
    void showPage(Page page);
    // The page's data changed: built again in the next round of posted events.
    void changed(Page page);
    // The page's data changed, and whoever changed it has the page built
    // (drawNow) when there is time for it: a run that must not be held up.
    void markStale(Page page);
    bool stale(Page page) const;
    // Builds the page now and paints it at once.
    void drawNow(Page page);
    Page currentPage() const;
    QChart* chart(Page page) const;
    QChartView* view(Page page) const;

    DriftChoice driftChoice() const;
    void setDriftChoice(const DriftChoice& choice);
    // Writes the page's chart to the file (.png or .svg); an empty text, or why not.
    QString save(Page page, const QString& path) const;

private:
    void build(Page page);
    void buildStale();
    void askToSave();

    Builder build_;
    QTabWidget* tabs_ = nullptr;
    std::array<QChartView*, kPages> views_{};
    std::array<bool, kPages> stale_{};
    bool queued_ = false;
    QComboBox* channel_ = nullptr;
    QComboBox* row_ = nullptr;
    QLabel* note_ = nullptr;
};

} // namespace charts
