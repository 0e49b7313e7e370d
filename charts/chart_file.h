// Charts saved as pictures: PNG or SVG by the file's suffix, drawn offscreen
// at a fixed size, so a saved chart looks the same whatever the window was.
#pragma once

#include <QChart>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

namespace charts {

inline constexpr QSize kSavedSize{1100, 650};

// Writes the chart to every path (".png" or ".svg", any letter case); a file
// appears whole or not at all. False, with *why naming the file, when one
// could not be written; the others are written regardless.
bool saveChart(std::unique_ptr<QChart> chart, const QStringList& paths, QString* why);

} // namespace charts
