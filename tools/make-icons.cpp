// Draws the program's picture resources into a folder (res/images):
//   icon128.png    the program's icon, 32 x 32: a shield over a letter
//   letters132.bmp the contacts picker's letter strip, 241 x 17, 256 colours, black on white:
//                  nine cells split by lines at x = 25, 52, 79, 106, 133, 160, 186, 212
//                  and a line along the bottom row
//   make-icons OUTDIR
// and, for installing, the icon at the desktop's sizes: DIR/NxN/apps/brenwick.png
//   make-icons --hicolor DIR
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <string_view>

namespace {

// Drawn on a 32 x 32 grid, scaled to size.
QImage Icon(int size = 32) {
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    QPainterPath shield;
    shield.moveTo(16, 1.5);
    shield.cubicTo(21, 4.5, 25, 5, 29.5, 5);
    shield.cubicTo(29.5, 18, 25, 25.5, 16, 30.5);
    shield.cubicTo(7, 25.5, 2.5, 18, 2.5, 5);
    shield.cubicTo(7, 5, 11, 4.5, 16, 1.5);
    QLinearGradient blue(0, 0, 32, 32);
    blue.setColorAt(0, QColor(0x3a, 0x7b, 0xd5));
    blue.setColorAt(1, QColor(0x0b, 0x2f, 0x8c));
    p.setPen(QPen(QColor(0x08, 0x20, 0x60), 1));
    p.setBrush(blue);
    p.drawPath(shield);
    // A letter: the message the shield keeps.
    const QRectF letter(8.5, 11.5, 15, 10);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    p.setBrush(Qt::white);
    p.drawRect(letter);
    p.drawPolyline(QPolygonF({letter.topLeft(), QPointF(16, 17.5), letter.topRight()}));
    return icon;
}

QImage Letters() {
    QImage strip(241, 17, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    p.setPen(Qt::black);
    QFont font("WenQuanYi Micro Hei");
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::NoAntialias); // two colours, no grey
    p.setFont(font);
    const int lines[] = {25, 52, 79, 106, 133, 160, 186, 212};
    const char* labels[] = {"#A", "abc", "def", "ghj", "klm", "nop", "qrs", "tw", "xyz"};
    for (const int x : lines)
        p.drawLine(x, 0, x, 16);
    p.drawLine(0, 16, 240, 16);
    int left = 0;
    for (int cell = 0; cell < 9; ++cell) {
        const int right = cell < 8 ? lines[cell] : 241;
        p.drawText(QRect(left, 0, right - left, 16), Qt::AlignCenter, labels[cell]);
        left = right + 1;
    }
    p.end();
    QList<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.append(qRgb(i, i, i));
    return strip.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
}

} // namespace

bool WriteHicolor(const QDir& out) {
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1x%1/apps").arg(size);
        if (!out.mkpath(dir) || !Icon(size).save(out.filePath(dir + "/brenwick.png"), "PNG"))
            return false;
    }
    return true;
}

int main(int argc, char** argv) {
    const bool hicolor = argc == 3 && std::string_view(argv[1]) == "--hicolor";
    if (argc != 2 && !hicolor) {
        std::fprintf(stderr, "usage: make-icons OUTDIR\n       make-icons --hicolor DIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (hicolor) {
        if (WriteHicolor(QDir(QString::fromLocal8Bit(argv[2]))))
            return 0;
        std::fprintf(stderr, "make-icons: cannot write into %s\n", argv[2]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const bool written = Icon().save(out.filePath("icon128.png"), "PNG") &&
                         Letters().save(out.filePath("letters132.bmp"), "BMP");
    if (!written)
        std::fprintf(stderr, "make-icons: cannot write into %s\n", argv[1]);
    return written ? 0 : 1;
}
