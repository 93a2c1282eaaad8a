// The colours that say whether a note is in tune, wherever its tuning is shown: the cents, the
// tuning meter's needle and zone, and the intonation chart's bars.
#pragma once

#include <QColor>

namespace korvalin {

inline QColor InTuneColour() { return QColor(20, 140, 40); }
inline QColor OutOfTuneColour() { return QColor(200, 40, 40); }
// The in-tune zone behind a scale of cents.
inline QColor InTuneZoneColour() { return QColor(190, 235, 190); }

} // namespace korvalin
