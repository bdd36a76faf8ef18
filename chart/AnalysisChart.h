#pragma once
// The pictures of the analysis: a tornado chart of the one-at-a-time sensitivity (the % change of
// the theoretical diameter and of HETP as each input moves down and up by its step, side by
// side), and a sweep (one result against the swept input). Drawn with the plotting canvas into a
// picture or an SVG document, in the colours of the operating-performance chart.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

#include "core/Analysis.h"

namespace velm {

// The tornado chart draws at most this many inputs, the largest effects (the rows come sorted).
inline constexpr int kTornadoMaximumRows = 24;

// The tornado chart on a white page, scale times the screen size; empty rows give a page that
// says there is nothing to show. A scale that is not a positive number up to 16 gives a null
// picture.
QImage TornadoPicture(const std::vector<TSensitivity>& rows, double scale);
QByteArray TornadoSvg(const std::vector<TSensitivity>& rows);
// `result` against the swept `input` (SI, axes named by caption and SI unit), points whose run
// failed left out; no point to draw gives a page that says so. Scale as for the tornado chart.
QImage SweepPicture(const std::vector<TSweepPoint>& points, TField input, TField result,
                    double scale);
QByteArray SweepSvg(const std::vector<TSweepPoint>& points, TField input, TField result);

// Writes the picture to path, SVG for a ".svg" name and PNG otherwise, replacing a file only when
// the new one is complete; false with a readable reason in error.
bool SaveAnalysisPicture(const std::vector<TSensitivity>& rows, const QString& path,
                         QString* error);
bool SaveAnalysisPicture(const std::vector<TSweepPoint>& points, TField input, TField result,
                         const QString& path, QString* error);

}  // namespace velm
