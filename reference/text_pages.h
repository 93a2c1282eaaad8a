// The text pages of the information windows (the circle of fifths explained, the transposition
// example and the five practice tips), their words and their drawings.
#pragma once

#include <QString>
#include <QStringList>

class QPainter;
class QRectF;

namespace korvalin {

// The explanation of the circle of fifths: heading, then two paragraphs.
QStringList CircleExplanationText();
// The transposition example's explanation: the word in bold, then the rest of the sentence.
QStringList TranspositionExplanationText();
// The tips page: heading, four lines of introduction, then five numbered tips ("1.", text, ...).
QString TipsHeading();
QStringList TipsIntroduction();
QStringList TipsList();

// All of a page's words as one plain text (what a screen reader is given for the picture).
QString CircleExplanationPlainText();
QString TranspositionExplanationPlainText();
QString TipsPlainText();

// The drawings; each fills `target`.
void DrawCircleExplanation(QPainter& painter, const QRectF& target);
void DrawTranspositionExample(QPainter& painter, const QRectF& target); // the example staff
void DrawTranspositionExplanation(QPainter& painter, const QRectF& target);
void DrawTips(QPainter& painter, const QRectF& target);

} // namespace korvalin
