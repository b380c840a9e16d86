// Makes the program's artwork: the button glyphs, the title picture and the
// program's icon, drawn with Qt's painter and written as BMP files by the
// picture subsystem's own writer, at the depths the windows expect; and the
// icon again at the sizes a desktop's menus use, as PNG files (Qt writes
// those: they are installed for the desktop, the program never reads them).
//
//   QT_QPA_PLATFORM=offscreen make_artwork OUTPUT_DIRECTORY
//
// The glyphs are drawn on the button-face grey: a speed button takes the
// colour of a glyph's bottom-left pixel as transparent, so that grey lets the
// button's own face through and looks right even where nothing is
// transparent. The letters use DejaVu Sans Bold (fonts-dejavu-core).
#include "raster/bitmap.h"
#include "core/errors.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <string>

using namespace tremalu;

namespace {

const QColor Face(192, 192, 192);

// Writes image at the given pixel format through our BMP writer.
void WriteBmp(const QImage& source, TPixelFormat format, const std::string& path)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    TBitmap bitmap;
    bitmap.SetPixelWidth(image.width());
    bitmap.SetPixelHeight(image.height());
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(bitmap.Row(y));
        const auto* from = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = from[x] & 0x00FFFFFFu;
    }
    bitmap.SetPixelFormat(format);
    bitmap.WriteToFile(path);
    std::printf("%s: %d x %d\n", path.c_str(), image.width(), image.height());
}

// The outline of text in a bold sans font, scaled to fit box and centred in it.
QPainterPath LettersIn(const QString& text, const QRectF& box)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(200);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF natural = path.boundingRect();
    const double scale = std::min(box.width() / natural.width(), box.height() / natural.height());
    QTransform fit;
    fit.translate(box.center().x(), box.center().y());
    fit.scale(scale, scale);
    fit.translate(-natural.center().x(), -natural.center().y());
    return fit.map(path);
}

// Gold letters standing out of the picture: an extrusion toward the bottom
// right in darkening browns, then the face in a gold gradient with a light
// rim.
void PaintGoldLetters(QPainter& p, const QPainterPath& letters, int depth, double rim = 1.2)
{
    p.setPen(Qt::NoPen);
    for (int d = depth; d >= 1; --d) {
        const double t = static_cast<double>(d) / depth;
        p.setBrush(QColor(static_cast<int>(150 - 100 * t), static_cast<int>(90 - 65 * t), static_cast<int>(15 - 10 * t)));
        p.drawPath(letters.translated(d, d));
    }
    const QRectF box = letters.boundingRect();
    QLinearGradient gold(box.topLeft(), box.bottomLeft());
    gold.setColorAt(0.0, QColor(255, 246, 170));
    gold.setColorAt(0.45, QColor(240, 190, 50));
    gold.setColorAt(0.55, QColor(215, 150, 20));
    gold.setColorAt(1.0, QColor(255, 210, 80));
    p.setBrush(gold);
    p.setPen(QPen(QColor(255, 250, 215), rim));
    p.drawPath(letters);
}

QImage TitlePicture()
{
    QImage image(520, 200, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    PaintGoldLetters(p, LettersIn(QStringLiteral("TREMALU"), QRectF(14, 14, 480, 142)), 14);
    // A red and a cyan rule under the name: the two colours of the glasses.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 0, 0));
    p.drawRect(QRectF(60, 180, 198, 5));
    p.setBrush(QColor(0, 220, 230));
    p.drawRect(QRectF(262, 180, 198, 5));
    return image;
}

// The program's icon is drawn for 64 pixels; other sizes scale the letter,
// its depth and its rim, so that the extrusion stays as smooth as at 64.
QImage ProgramIcon(int size = 64)
{
    const double k = size / 64.0;
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    PaintGoldLetters(p, LettersIn(QStringLiteral("T"), QRectF(6 * k, 4 * k, 48 * k, 50 * k)),
                     static_cast<int>(5 * k + 0.5), 1.2 * k);
    return image;
}

void WritePng(const QImage& image, const std::string& path)
{
    if (!image.save(QString::fromStdString(path), "PNG"))
        throw EFCreateError(FormatMessage(texts::CannotCreateFile, {path}));
    std::printf("%s: %d x %d\n", path.c_str(), image.width(), image.height());
}

// An open folder with a curved arrow going into it, on a square of colour.
QImage FolderGlyph(const QColor& square, const QColor& arrow)
{
    QImage image(25, 25, QImage::Format_RGB32);
    image.fill(Face);
    QPainter p(&image);
    // The square's edge stays sharp so that no pixel near the face grey
    // appears around it.
    p.fillRect(QRect(1, 1, 23, 23), square.darker(160));
    p.fillRect(QRect(2, 2, 21, 21), square);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(70, 45, 0);
    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(4.5, 20.5);
    back.lineTo(4.5, 10.5);
    back.lineTo(6.5, 8.5);
    back.lineTo(10.5, 8.5);
    back.lineTo(11.5, 10.5);
    back.lineTo(17.5, 10.5);
    back.lineTo(17.5, 13.5);
    back.closeSubpath();
    p.setPen(QPen(outline, 1));
    p.setBrush(QColor(205, 150, 40));
    p.drawPath(back);
    // The open front flap.
    QPainterPath front;
    front.moveTo(4.5, 20.5);
    front.lineTo(8.5, 13.5);
    front.lineTo(21.5, 13.5);
    front.lineTo(17.5, 20.5);
    front.closeSubpath();
    p.setBrush(QColor(255, 215, 80));
    p.drawPath(front);
    // The arrow comes from the top right and curves down into the folder.
    QPainterPath curve;
    curve.moveTo(20.0, 4.0);
    curve.quadTo(12.0, 3.0, 12.5, 10.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(arrow, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(curve);
    QPainterPath head;
    head.moveTo(9.0, 8.5);
    head.lineTo(16.0, 8.5);
    head.lineTo(12.5, 12.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(arrow);
    p.drawPath(head);
    return image;
}

// Red/cyan glasses seen from the front: red lens on the left eye.
QImage GlassesGlyph()
{
    QImage image(50, 25, QImage::Format_RGB32);
    image.fill(Face);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen frame(QColor(20, 20, 20), 2.0);
    p.setPen(frame);
    p.setBrush(QColor(235, 0, 0));
    p.drawRoundedRect(QRectF(3, 7, 18, 13), 4, 4);
    p.setBrush(QColor(0, 225, 235));
    p.drawRoundedRect(QRectF(29, 7, 18, 13), 4, 4);
    p.setBrush(Qt::NoBrush);
    QPainterPath bridge;
    bridge.moveTo(21, 11);
    bridge.quadTo(25, 7, 29, 11);
    p.drawPath(bridge);
    // The arms, going back from the outer corners.
    p.drawLine(QPointF(3, 9), QPointF(1, 5));
    p.drawLine(QPointF(47, 9), QPointF(49, 5));
    // A glint on each lens.
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 11), QPointF(10, 10));
    p.drawLine(QPointF(33, 11), QPointF(36, 10));
    return image;
}

// A floppy disk in the colours of the 16-colour palette.
QImage FloppyGlyph()
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Face);
    QPainter p(&image);
    const QColor navy(0, 0, 128), black(0, 0, 0), gray(128, 128, 128), white(255, 255, 255), blue(0, 0, 255);
    QPainterPath body;
    body.moveTo(2, 2);
    body.lineTo(27, 2);
    body.lineTo(30, 5);
    body.lineTo(30, 30);
    body.lineTo(2, 30);
    body.closeSubpath();
    p.setPen(black);
    p.setBrush(navy);
    p.drawPath(body);
    p.fillRect(QRect(3, 3, 1, 26), blue);  // light on the left edge
    // The metal shutter with its window.
    p.fillRect(QRect(9, 2, 15, 10), gray);
    p.fillRect(QRect(10, 3, 13, 8), white);
    p.fillRect(QRect(18, 4, 3, 6), navy);
    // The label with written lines.
    p.fillRect(QRect(6, 16, 21, 13), white);
    for (int y = 19; y <= 26; y += 3)
        p.fillRect(QRect(8, y, 17, 1), gray);
    return image;
}

// A white page with a folded corner and a magnifying glass over its lower
// right part, in colours of the 16-colour palette, on olive: the button
// takes its bottom-left pixel's colour as transparent, so the olive is
// never seen. Drawn pixel by pixel, without smoothing, to keep to the
// palette.
QImage PreviewGlyph()
{
    QImage image(16, 16, QImage::Format_RGB32);
    const QColor olive(128, 128, 0), black(0, 0, 0), white(255, 255, 255), gray(128, 128, 128),
        silver(192, 192, 192), aqua(0, 255, 255), maroon(128, 0, 0);
    image.fill(olive);
    QPainter p(&image);
    // The page, its corner folded down at the top right.
    QPolygon page;
    page << QPoint(1, 0) << QPoint(8, 0) << QPoint(11, 3) << QPoint(11, 14) << QPoint(1, 14);
    p.setPen(black);
    p.setBrush(white);
    p.drawPolygon(page);
    p.setPen(gray);
    p.drawLine(8, 1, 8, 3);
    p.drawLine(8, 3, 10, 3);
    // Lines of writing on the page.
    for (int y = 5; y <= 11; y += 2)
        p.drawLine(3, y, 7, y);
    // The glass: a black rim round a light lens with a white glint.
    p.setPen(black);
    p.setBrush(aqua);
    p.drawEllipse(QRect(6, 6, 6, 6));
    p.setPen(white);
    p.drawPoint(8, 8);
    p.setPen(silver);
    p.drawPoint(9, 8);
    // The handle, two pixels thick, down to the bottom right corner.
    p.setPen(maroon);
    p.drawLine(11, 11, 14, 14);
    p.drawLine(12, 11, 15, 14);
    p.setPen(black);
    p.drawLine(11, 12, 14, 15);
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_artwork OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    try {
        WriteBmp(FolderGlyph(QColor(255, 0, 0), QColor(255, 255, 255)), TPixelFormat::pf24bit, dir + "folder_red.bmp");
        WriteBmp(FolderGlyph(QColor(0, 255, 255), QColor(0, 0, 128)), TPixelFormat::pf24bit, dir + "folder_cyan.bmp");
        WriteBmp(GlassesGlyph(), TPixelFormat::pf24bit, dir + "glasses.bmp");
        WriteBmp(FloppyGlyph(), TPixelFormat::pf4bit, dir + "floppy.bmp");
        WriteBmp(PreviewGlyph(), TPixelFormat::pf4bit, dir + "previewglyph.bmp");
        WriteBmp(TitlePicture(), TPixelFormat::pf16bit, dir + "title.bmp");
        WriteBmp(ProgramIcon(), TPixelFormat::pf24bit, dir + "tremalu.bmp");
        for (const int size : {48, 256})
            WritePng(ProgramIcon(size), dir + "tremalu_" + std::to_string(size) + ".png");
    } catch (const Exception& failure) {
        std::fprintf(stderr, "make_artwork: %s\n", failure.what());
        return 1;
    }
    return 0;
}
