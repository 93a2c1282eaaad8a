// Looking at the staff as a person zoomed in on it would: in a picture of the main window's client
// area (a screen grab, or a rasterised print), the horizontal lines crossing the two marker
// columns. Each line must be one window pixel high and sit on a staff-line position of the staff
// picture; a glyph whose lines miss the picture's shows as a line drawn twice, a pixel or two apart.
#pragma once

#include "assets/main_geometry.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace korvalin {

// `image` shows the client area with its (0, 0) at `origin` and `scale` image pixels per window
// pixel; `staff` is the visible staff control's top-left corner in the client area. Returns one
// message per fault, empty when every line is where it belongs.
inline QStringList StaffLineFaults(const QImage& image, QPoint origin, int scale, QPoint staff) {
    QStringList faults;
    auto pixel = [&](double x, double y) {
        return image.pixelColor(origin.x() + int(std::floor(x * scale)), origin.y() + int(std::floor(y * scale)));
    };
    // Paper: a spot of the staff picture that no line, clef or marker reaches.
    const QColor paper = pixel(staff.x() + kStaffPictureInset + 140, staff.y() + kStaffPictureInset + 3);
    // Line ink is grey or black (the glyphs' heads and accidentals are coloured) and stands out from the paper.
    auto lineInk = [&](const QColor& c) {
        const int hi = std::max({c.red(), c.green(), c.blue()}), lo = std::min({c.red(), c.green(), c.blue()});
        const int away = std::abs(c.red() - paper.red()) + std::abs(c.green() - paper.green()) + std::abs(c.blue() - paper.blue());
        return hi - lo < 40 && away > 90;
    };
    auto isStaffLineRow = [](double controlY) { // centre of a window-pixel row, in the staff control
        const double y = controlY - kStaffPictureInset - kFirstStaffLineY;
        const double k = std::round(y / kStaffLineSpacing);
        return k >= 0 && k < kStaffLineCount && std::abs(y - k * kStaffLineSpacing - 0.5) <= 0.75;
    };

    // The picture's rows: the control's border is no line of the staff.
    const int top = (staff.y() + kStaffPictureInset) * scale;
    const int bottom = (staff.y() + kStaffPictureInset + kStaffPictureHeight) * scale;
    for (int column : {kWrittenMarkerLeft, kSoundingMarkerLeft}) {
        // The glyph's width and the ledger lines' overhang on each side of it.
        const int x0 = (staff.x() + column - kLedgerOverhang) * scale;
        const int x1 = (staff.x() + column + kGlyphSize + kLedgerOverhang) * scale;
        std::vector<int> rows; // image rows, relative to the client's origin, that carry a line
        for (int iy = top; iy < bottom; ++iy) {
            int ink = 0;
            for (int ix = x0; ix < x1; ++ix) ink += lineInk(image.pixelColor(origin.x() + ix, origin.y() + iy));
            if (ink >= 5 * scale) rows.push_back(iy);
        }
        // Runs of line rows are the lines a person sees.
        std::vector<std::pair<int, int>> runs; // first and last row
        for (int r : rows) {
            if (!runs.empty() && runs.back().second == r - 1) runs.back().second = r;
            else runs.push_back({r, r});
        }
        const QString where = column == kWrittenMarkerLeft ? "written" : "sounding";
        double previous = -1e9;
        for (const auto& [first, last] : runs) {
            const double centre = (first + last + 1) / 2.0 / scale; // window pixels, client area
            const int height = last - first + 1;
            if (height > scale + (scale > 1 ? 1 : 0))
                faults << QString("%1 column: line %2 pixels high at y %3").arg(where).arg(double(height) / scale).arg(centre);
            if (!isStaffLineRow(centre - staff.y()))
                faults << QString("%1 column: line at y %2 is off the staff lines").arg(where).arg(centre);
            if (centre - previous <= 3.0)
                faults << QString("%1 column: lines at y %2 and %3 are drawn twice").arg(where).arg(previous).arg(centre);
            previous = centre;
        }
    }
    return faults;
}

} // namespace korvalin
