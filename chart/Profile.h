#pragma once
// The profile of a whole column: % of flooding, wet pressure drop and HETP against the stage,
// three diagrams side by side, the sections shaded in turn and named, each section's governing
// stage marked. Drawn with the plotting canvas into a picture or an SVG document.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <string>
#include <vector>

#include "core/Column.h"

namespace velm {

struct TProfileSection {
  std::string Name;
  int First = 0, Last = 0;  // stage indices, inclusive
  int Governing = -1;       // stage index
};

// The numbers the profile draws; a stage without a result is NaN.
struct TProfile {
  std::vector<std::string> Names;  // of the stages
  std::vector<double> Flood, PressureDrop, HETP;
  std::vector<TProfileSection> Sections;
};
TProfile ProfileOf(const TColumnInput& in, const TColumnResult& result);

inline constexpr int kProfileBoxWidth = 420;
inline constexpr int kProfileBoxHeight = 360;

// The three diagrams on a white page, scale times the screen size.
QImage ProfilePicture(const TProfile& profile, double scale);
QByteArray ProfileSvg(const TProfile& profile);
// Writes the profile to path, SVG for a ".svg" name and PNG otherwise, replacing a file only when
// the new one is complete; false with a readable reason in error.
bool SaveProfile(const TProfile& profile, const QString& path, QString* error);

}  // namespace velm
