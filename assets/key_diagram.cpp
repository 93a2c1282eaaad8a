#include "assets/key_diagram.h"

#include "app/note_table.h"

#include <QFile>
#include <QFont>
#include <QtGlobal>

#include <algorithm>

namespace korvalin {
namespace {

const char* const kDatabaseResource = ":/korvalin/fingerings.txt";

enum class Form { Round, Oval, Bar };

struct KeyShape {
    SaxKey key;
    Form form;
    QPointF centre;  // design grid
    QSizeF size;
    const char* label; // drawn on the key when labels are on; "" for the main keys
};

constexpr qreal kColumnX = 86;
constexpr qreal kFrontFY = 31, kLh3Y = 117, kRh1Y = 157, kRh3Y = 211; // ends of the two rods
constexpr qreal kHandGapY = 137;

// The key layout on the 162 x 240 design grid. Main keys are large circles in one column; the
// auxiliary keys are smaller, each drawn where the finger that presses it finds it.
const KeyShape kShapes[kSaxKeyCount] = {
    {SaxKey::Octave, Form::Round, {50, 15}, {13, 13}, ""},
    // Palm keys beside the upper left hand: E-flat on top, D outermost, F lowest.
    {SaxKey::PalmD, Form::Oval, {38, 57}, {18, 11}, "D"},
    {SaxKey::PalmEb, Form::Oval, {56, 42}, {18, 11}, "E\u266D"},
    {SaxKey::PalmF, Form::Oval, {58, 70}, {18, 11}, "F"},
    {SaxKey::FrontF, Form::Oval, {kColumnX, kFrontFY}, {17, 10}, "F"},
    {SaxKey::Lh1, Form::Round, {kColumnX, 54}, {24, 24}, ""},
    {SaxKey::Bis, Form::Round, {kColumnX, 72}, {8, 8}, ""},
    {SaxKey::Lh2, Form::Round, {kColumnX, 90}, {24, 24}, ""},
    {SaxKey::Lh3, Form::Round, {kColumnX, kLh3Y}, {24, 24}, ""},
    // Left little-finger table beside the left hand: G-sharp on top, C-sharp outside, B inside,
    // B-flat at the bottom.
    {SaxKey::GSharp, Form::Bar, {58, 110}, {24, 10}, "G\u266F"},
    {SaxKey::LowCSharp, Form::Bar, {41, 123}, {17, 11}, "C\u266F"},
    {SaxKey::LowB, Form::Bar, {62, 123}, {17, 11}, "B"},
    {SaxKey::LowBb, Form::Bar, {52, 136}, {24, 10}, "B\u266D"},
    // Side keys beside the right-hand stack, high E on top; the high F# key below them.
    {SaxKey::SideC, Form::Bar, {122, 169}, {12, 17}, "C"},
    {SaxKey::SideBb, Form::Bar, {122, 188}, {12, 17}, "B\u266D"},
    {SaxKey::HighE, Form::Bar, {122, 150}, {12, 17}, "E"},
    {SaxKey::HighFSharp, Form::Bar, {139, 200}, {12, 15}, "F\u266F"},
    {SaxKey::Rh1, Form::Round, {kColumnX, kRh1Y}, {24, 24}, ""},
    {SaxKey::Rh2, Form::Round, {kColumnX, 184}, {24, 24}, ""},
    {SaxKey::Rh3, Form::Round, {kColumnX, kRh3Y}, {24, 24}, ""},
    {SaxKey::AltFSharp, Form::Oval, {109, 198}, {10, 8}, ""},
    // Right little-finger table beside the lowest right-hand key: E-flat above C.
    {SaxKey::LowEb, Form::Bar, {119, 216}, {22, 10}, "E\u266D"},
    {SaxKey::LowC, Form::Bar, {119, 229}, {22, 10}, "C"},
};

const KeyShape& ShapeOf(SaxKey key) {
    for (const KeyShape& s : kShapes)
        if (s.key == key) return s;
    return kShapes[0];
}

QRectF RectOf(const KeyShape& s) {
    return QRectF(s.centre.x() - s.size.width() / 2, s.centre.y() - s.size.height() / 2, s.size.width(),
                  s.size.height());
}

qreal ScaleFor(const QRectF& box) {
    return std::min(box.width() / kKeyDiagramWidth, box.height() / kKeyDiagramHeight);
}

QColor Pale(const QColor& c) {
    // Greyed: the colour's lightness pulled most of the way to white, without its hue.
    const int g = qGray(c.rgb());
    const int pale = 200 + (g * 55) / 255;
    return QColor(pale, pale, pale);
}

void DrawShape(QPainter& p, const KeyShape& s, bool pressed, const KeyDiagramStyle& style) {
    const QColor fill = style.greyed ? QColor(238, 238, 238) : (pressed ? style.pressed : style.open);
    const QColor line = style.greyed ? Pale(style.outline) : (pressed ? style.pressed.darker(130) : style.outline);
    p.setPen(QPen(line, s.form == Form::Round && s.size.width() > 12 ? 1.5 : 1.1));
    p.setBrush(fill);
    const QRectF r = RectOf(s);
    switch (s.form) {
    case Form::Round:
    case Form::Oval: p.drawEllipse(r); break;
    case Form::Bar: {
        const qreal radius = std::min(r.width(), r.height()) * 0.4;
        p.drawRoundedRect(r, radius, radius);
        break;
    }
    }
    if (style.labels && *s.label) {
        QFont font;
        font.setPixelSize(7);
        font.setBold(true);
        p.setFont(font);
        QColor text = style.greyed ? Pale(style.outline) : (pressed ? QColor(255, 255, 255) : QColor(90, 90, 90));
        if (pressed && qGray(style.pressed.rgb()) > 160) text = QColor(20, 20, 20);
        p.setPen(text);
        p.drawText(r.adjusted(-4, -2, 4, 2), Qt::AlignCenter, QString::fromUtf8(s.label));
    }
}

void DrawDiagram(QPainter& p, const QRectF& box, KeyMask pressed, const KeyDiagramStyle& style) {
    p.save();
    if (style.background.alpha() > 0) p.fillRect(box, style.background);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const qreal s = ScaleFor(box);
    p.translate(box.center());
    p.scale(s, s);
    p.translate(-kKeyDiagramWidth / 2, -kKeyDiagramHeight / 2);

    // The body: a rod through each hand's main keys and a bar for the gap between the hands.
    const QColor body = style.greyed ? Pale(style.body) : style.body;
    p.setPen(QPen(body, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(kColumnX, kFrontFY), QPointF(kColumnX, kLh3Y));
    p.drawLine(QPointF(kColumnX, kRh1Y), QPointF(kColumnX, kRh3Y));
    p.setPen(QPen(body, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(kColumnX - 18, kHandGapY), QPointF(kColumnX + 18, kHandGapY));
    // Small marks that name the thumb key and the hands for a first-time reader.
    QFont font;
    font.setPixelSize(8);
    p.setFont(font);
    p.setPen(style.greyed ? Pale(style.outline) : QColor(110, 110, 110));
    const QRectF octave = RectOf(ShapeOf(SaxKey::Octave));
    p.drawText(QRectF(octave.left() - 26, octave.top(), 23, octave.height()), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("8va"));

    for (const KeyShape& shape : kShapes)
        DrawShape(p, shape, !style.greyed && (pressed & KeyBit(shape.key)), style);
    p.restore();
}

} // namespace

QRectF KeyDiagramKeyRect(SaxKey key) { return RectOf(ShapeOf(key)); }

QPointF KeyDiagramToBox(const QRectF& box, const QPointF& designPoint) {
    const qreal s = ScaleFor(box);
    return box.center() + (designPoint - QPointF(kKeyDiagramWidth / 2, kKeyDiagramHeight / 2)) * s;
}

void DrawKeyDiagram(QPainter& painter, const QRectF& box, KeyMask pressed, const KeyDiagramStyle& style) {
    DrawDiagram(painter, box, pressed, style);
}

void DrawKeyDiagram(QPainter& painter, const QRectF& box, const std::vector<std::string>& pressed,
                    const KeyDiagramStyle& style) {
    KeyMask mask = 0;
    for (const std::string& name : pressed) {
        SaxKey key;
        if (KeyFromName(name, key)) mask |= KeyBit(key);
    }
    DrawDiagram(painter, box, mask, style);
}

const FingeringSet& Fingerings() {
    static const FingeringSet set = [] {
        QFile file(QString::fromLatin1(kDatabaseResource));
        std::string text;
        const bool opened = file.open(QIODevice::ReadOnly);
        if (opened) text = file.readAll().toStdString();
        FingeringSet loaded = ParseFingerings(text);
        if (!opened) loaded.errors.insert(loaded.errors.begin(), "the fingering database resource is missing");
        for (std::string& e : CheckAgainstNoteTable(loaded)) loaded.errors.push_back(std::move(e));
        for (const std::string& e : loaded.errors) qCritical("fingering database: %s", e.c_str());
        return loaded;
    }();
    return set;
}

void DrawFingeringPicture(QPainter& painter, const QRectF& box, int index, const QColor& pressedColour) {
    KeyDiagramStyle style;
    style.pressed = pressedColour;
    const FingeringEntry* e = Fingerings().Find(index);
    if (!e || e->kind == FingeringKind::Blank) {
        style.greyed = true;
        DrawDiagram(painter, box, 0, style);
        return;
    }
    DrawDiagram(painter, box, e->keys, style);
}

QImage FingeringImage(int index, QSize size, qreal dpr) {
    QImage img((QSizeF(size) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::white);
    QPainter p(&img);
    DrawFingeringPicture(p, QRectF(QPointF(0, 0), QSizeF(size)), index);
    p.end();
    return img;
}

QString FingeringAccessibleName(int index) {
    const FingeringEntry* e = Fingerings().Find(index);
    if (!e || e->kind == FingeringKind::Blank) return QStringLiteral("Fingering: none for this note");
    // Named as the main window names the note beside it ("C0" for the player's written C4).
    const char accidental = e->note.size() > 1 ? e->note[1] : '\0';
    std::string name = RowNameOfPitch(e->midi, accidental);
    if (name.empty()) name = e->note;
    return QStringLiteral("Fingering: %1, %2").arg(QString::fromStdString(name), QString::fromStdString(e->variant));
}

QString FingeringAccessibleDescription(int index) {
    const FingeringEntry* e = Fingerings().Find(index);
    if (!e || e->keys == 0) return QStringLiteral("pressed: none");
    QStringList names;
    for (const std::string& n : KeyNames(e->keys)) names << QString::fromStdString(n);
    return QStringLiteral("pressed: ") + names.join(QStringLiteral(", "));
}

QString FingeringToolTip(int index) {
    return FingeringAccessibleName(index) + QLatin1Char('\n') + FingeringAccessibleDescription(index);
}

QString FingeringCaption(int index) {
    const FingeringEntry* e = Fingerings().Find(index);
    if (!e || e->kind == FingeringKind::Blank) return QStringLiteral("no fingering");
    return QString::fromStdString(e->note) + QLatin1Char(' ') + QString::fromStdString(e->variant);
}

} // namespace korvalin
