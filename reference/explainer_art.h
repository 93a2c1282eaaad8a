// Pictures of the mouthpiece and reed explainers, drawn in code on a 280 x 100 design grid and
// scaled into any box (the large views and their thumbnails are the same drawings). Each part
// sits where the explainer's leader line for it begins.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;
class QPainterPath;

namespace korvalin {

enum class MouthpieceView { Assembled, Section, Table };
enum class ReedView { Top, Side };

inline constexpr double kExplainerWidth = 280;
inline constexpr double kExplainerHeight = 100;

void DrawMouthpiece(QPainter& painter, const QRectF& target, MouthpieceView view);
void DrawReed(QPainter& painter, const QRectF& target, ReedView view);

QImage MouthpieceImage(MouthpieceView view, QSize size, qreal dpr = 1.0);
QImage ReedImage(ReedView view, QSize size, qreal dpr = 1.0);

// The outline of a named part of a drawing, in design units: where the part is, so that the
// explainers' leader lines can be checked to begin on it. Empty for an unknown name. Names:
// mouthpiece assembled "toothplate", "body", "reed", "ligature", "tuning guide", "neck cork",
// "neck"; cut-away "baffle", "facing", "chamber", "throat"; table view "tip rail", "side rail",
// "window", "table"; reed top "tip", "side", "heart", "vamp", "shoulder", "stock", "heel"; reed
// side "table", "rail".
QPainterPath MouthpiecePartShape(MouthpieceView view, const QString& name);
QPainterPath ReedPartShape(ReedView view, const QString& name);

} // namespace korvalin
