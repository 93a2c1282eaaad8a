#include "reference/text_pages.h"

#include "reference/music_drawing.h"

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QTextDocument>

namespace korvalin {
namespace {

QFont PageFont(double pixels, bool bold = false, bool italic = false) {
    QFont f("DejaVu Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, int(pixels + 0.5)));
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

const QColor kPaper(255, 254, 248);
const QColor kInk(28, 28, 36);
const QColor kAccent(30, 70, 140);

// Lays `html` out at `width` and draws it from `topLeft`; returns the height used.
double DrawRichText(QPainter& p, const QPointF& topLeft, double width, const QString& html, const QFont& font) {
    QTextDocument doc;
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setTextWidth(width);
    doc.setHtml(html);
    p.save();
    p.translate(topLeft);
    doc.drawContents(&p);
    p.restore();
    return doc.size().height();
}

// The page's own design size is stretched to the target.
class Page {
public:
    Page(QPainter& p, const QRectF& target, double width, double height) : p_(p) {
        p_.save();
        p_.translate(target.topLeft());
        p_.scale(target.width() / width, target.height() / height);
        p_.setClipRect(QRectF(0, 0, width, height), Qt::IntersectClip);
        p_.setRenderHint(QPainter::Antialiasing);
        p_.setRenderHint(QPainter::TextAntialiasing);
        p_.fillRect(QRectF(0, 0, width, height), kPaper);
    }
    ~Page() { p_.restore(); }

private:
    QPainter& p_;
};

} // namespace

QStringList CircleExplanationText() {
    return {
        QString::fromUtf8("The Circle of 5th\u2019s (or Cycle of 4th\u2019s)"),
        QString::fromUtf8("A graphical representation of the relationship of the 12 basic Major and Minor Keys. "
                          "If you look at the wheel you will see that, starting at 12 o\u2019clock, the number of "
                          "sharps in each key increases as you move counter-clockwise. Similarly, the number of "
                          "flats in each key increases as you rotate clockwise."),
        QString::fromUtf8("Notice especially the keys at 5, 6 and 7 o\u2019clock which can be written either as "
                          "sharps or flats. For simplicity, The Korvalin program reads the wheel "
                          "counter-clockwise."),
    };
}

QStringList TranspositionExplanationText() {
    return {
        "Transposition",
        QString::fromUtf8("describes the process of converting a piece of music from one key to another by moving "
                          "notes either up or down on the stave whilst maintaining the intervals between them. In "
                          "the above example a piece of music is transposed by subtracting 9 semitones to move the "
                          "key from \u2018C\u2019 to \u2018E flat\u2019. You can learn more about transposition in "
                          "the Korvalin help file."),
    };
}

QString TipsHeading() { return "Top 5 tips for saxophone students"; }

QStringList TipsIntroduction() {
    return {
        "People often ask me what are the most important things to learn",
        "when playing the saxophone. There are no simple answers, however",
        "the following tips come up time and time again, master these and",
        "The rest will hopefully follow.",
    };
}

QStringList TipsList() {
    return {"1.", "Practice, practice, practice", "2.", "Relax", "3.", "Learn to blow long notes",
            "4.", "Learn to play softly",         "5.", "Enjoy yourself"};
}

QString CircleExplanationPlainText() { return CircleExplanationText().join("\n\n"); }

QString TranspositionExplanationPlainText() { return TranspositionExplanationText().join(" "); }

QString TipsPlainText() {
    QStringList lines{TipsHeading(), ""};
    lines += TipsIntroduction();
    lines += "";
    const QStringList tips = TipsList();
    for (int i = 0; i + 1 < tips.size(); i += 2) lines += tips[i] + " " + tips[i + 1];
    return lines.join("\n");
}

// The explanation page, laid out at the size of its window.
void DrawCircleExplanation(QPainter& p, const QRectF& target) {
    constexpr double w = 459, h = 326;
    Page page(p, target, w, h);
    const QStringList text = CircleExplanationText();
    double y = 18;
    y += DrawRichText(p, QPointF(22, y), w - 44, "<b>" + text[0].toHtmlEscaped() + "</b>", PageFont(19));
    y += 14;
    y += DrawRichText(p, QPointF(22, y), w - 44, text[1].toHtmlEscaped(), PageFont(13.5));
    y += 12;
    DrawRichText(p, QPointF(22, y), w - 44, text[2].toHtmlEscaped(), PageFont(13.5));
}

void DrawTranspositionExample(QPainter& p, const QRectF& target) {
    constexpr double w = 273, h = 177;
    Page page(p, target, w, h);

    // C stepped down a semitone at a time to E-flat.
    p.setPen(kInk);
    p.setFont(PageFont(9.5, true));
    p.drawText(QRectF(6, 2, w - 12, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("C down to E\u266D, one semitone at a time"));
    Staff walk{4, w - 4, 52, 6.5};
    DrawStaffLines(p, walk);
    DrawTrebleClef(p, walk, walk.left + 2);
    struct Step {
        int step, accidental;
        const char* name;
    };
    static constexpr Step kWalk[] = {{5, 2, "C"}, {4, 2, "B"}, {4, 1, "B\u266D"}, {3, 2, "A"}, {3, 1, "A\u266D"},
                                     {2, 2, "G"}, {2, 1, "G\u266D"}, {1, 2, "F"}, {0, 2, "E"}, {0, 1, "E\u266D"}};
    const double first = 44, spacing = (w - 14 - first) / 9;
    p.setFont(PageFont(9.5, true));
    for (int i = 0; i < 10; ++i) {
        const double x = first + i * spacing;
        const QColor colour = (i == 0 || i == 9) ? kAccent : kInk;
        DrawWholeNote(p, walk, x, kWalk[i].step, kWalk[i].accidental, colour);
        p.setPen(colour);
        p.drawText(QRectF(x - 12, walk.Y(-4), 24, 12), Qt::AlignCenter, QString::fromUtf8(kWalk[i].name));
    }
    // How many semitones each note lies below the C.
    p.setPen(QColor(110, 110, 110));
    p.setFont(PageFont(8));
    for (int i = 0; i < 10; ++i)
        p.drawText(QRectF(first + i * spacing - 12, walk.Y(-7.4), 24, 10), Qt::AlignCenter,
                   i == 0 ? QString::fromUtf8("0") : QString::fromUtf8("−%1").arg(i));

    // The same tune's key: C major becomes E-flat major, three flats in the signature.
    p.setPen(kInk);
    p.setFont(PageFont(9.5, true));
    p.drawText(QRectF(6, 96, w - 12, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("Key of C  \u2192  key of E\u266D (\u22129 semitones)"));
    Staff keys{4, w - 4, 150, 6.5};
    DrawStaffLines(p, keys);
    DrawTrebleClef(p, keys, keys.left + 2);
    DrawWholeNote(p, keys, 62, 5, 2, kAccent);
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(112, keys.Y(0)), QPointF(112, keys.Y(8)));
    p.drawLine(QPointF(115, keys.Y(0)), QPointF(115, keys.Y(8)));
    DrawTrebleClef(p, keys, 122);
    const double after = DrawKeySignature(p, keys, 144, 0, 3);
    DrawWholeNote(p, keys, after + 36, 0, 2, kAccent);
    p.setFont(PageFont(8.5));
    p.setPen(QColor(70, 70, 70));
    p.drawText(QRectF(40, keys.Y(-3.2), 50, 11), Qt::AlignCenter, "C major");
    p.drawText(QRectF(after + 6, keys.Y(-3.2), 64, 11), Qt::AlignCenter, QString::fromUtf8("E\u266D major"));
}

void DrawTranspositionExplanation(QPainter& p, const QRectF& target) {
    constexpr double w = 273, h = 153;
    Page page(p, target, w, h);
    const QStringList text = TranspositionExplanationText();
    DrawRichText(p, QPointF(8, 8), w - 16, "<b>" + text[0].toHtmlEscaped() + "</b> " + text[1].toHtmlEscaped(),
                 PageFont(11));
}

void DrawTips(QPainter& p, const QRectF& target) {
    constexpr double w = 531, h = 349;
    Page page(p, target, w, h);
    p.setPen(kAccent);
    p.setFont(PageFont(21, true));
    p.drawText(QRectF(24, 14, w - 48, 30), Qt::AlignLeft | Qt::AlignVCenter, TipsHeading());
    p.setPen(QPen(kAccent, 1.5));
    p.drawLine(QPointF(24, 48), QPointF(w - 24, 48));

    p.setPen(kInk);
    p.setFont(PageFont(13, false, true));
    double y = 58;
    for (const QString& line : TipsIntroduction()) {
        p.drawText(QRectF(24, y, w - 48, 19), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += 19;
    }
    y += 14;
    const QStringList tips = TipsList();
    for (int i = 0; i + 1 < tips.size(); i += 2) {
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(46, y + 14), 13, 13);
        p.setPen(Qt::white);
        p.setFont(PageFont(13, true));
        p.drawText(QRectF(33, y + 1, 26, 26), Qt::AlignCenter, tips[i]);
        p.setPen(kInk);
        p.setFont(PageFont(17, true));
        p.drawText(QRectF(72, y, w - 96, 28), Qt::AlignLeft | Qt::AlignVCenter, tips[i + 1]);
        y += 36;
    }
}

} // namespace korvalin
