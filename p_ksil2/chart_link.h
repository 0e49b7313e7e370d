// What the runs tell the charts, and the PP button that opens them. The charts
// need Qt; a build without them (the Windows build) installs none, and then
// these calls do nothing and the button says so.
#pragma once

#include <ctime>
#include <string>

class ChartSink {
public:
    virtual ~ChartSink() = default;
    virtual void open() = 0;
    // A row was added to PP's result table (automatic or manual verification).
    virtual void verificationRow() = 0;
    // Point `index` (0 first) of a КСИЛ5 run: the first one starts a new run.
    virtual void ksil5Point(int index, int channel, double set, double measured, double tolerance) = 0;
    // A cell of CP's table took a measured value.
    virtual void calibrationCell() = 0;
    // Saves the verification chart as it stands into the files named; false
    // with *why when one was not written.
    virtual bool saveVerification(const std::string& pathWithoutSuffix, std::string* why) = 0;
    // The program ends: the window goes while the run-time that shows it is still there.
    virtual void close() = 0;
    // A run that pumps no events gives the charts `seconds` of a settling wait
    // (infinity where no wait follows): what changed is drawn when it fits.
    virtual void paintWithin(double seconds) = 0;
};

void setChartSink(ChartSink* sink);

void chartVerificationRow();
void chartKsil5Point(int index, int channel, double set, double measured, double tolerance);
void chartCalibrationCell();
void chartsClosed();
void chartsPaintWithin(double seconds);
// At the end of an automatic verification: the chart beside the protocol file,
// the protocol's name with the run's start as "_YYYY-MM-DD_HH-MM-SS", once as
// .png and once as .svg. A failure is shown on the status line.
void chartSaveVerification(const std::string& protocolPath, std::time_t runStart);
// The name the chart of a run started at runStart takes beside the protocol, without suffix.
std::string chartFileStem(const std::string& protocolPath, std::time_t runStart);

// Toolkit callback: PP's CHARTS.
int openCharts(int panel, int control, int event, void* data, int e1, int e2);
