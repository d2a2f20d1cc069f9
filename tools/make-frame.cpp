// Draws the picture viewer's frame picture, res/device/frame.jpg: a 240 x 320 screen frame
// with a white text area (25, 130)-(225, 270) where the viewer writes, a framed photo box
// (120, 16)-(220, 116) and a light band for the title at (25, 90)-(120, 116).
//   make-frame OUT.jpg   (or OUT.png to look at it)
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-frame OUT.jpg\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QImage image(240, 320, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 320);
    sky.setColorAt(0.0, QColor(0x2f, 0x6d, 0xb5));
    sky.setColorAt(0.45, QColor(0x8f, 0xbc, 0xe6));
    sky.setColorAt(1.0, QColor(0xdc, 0xea, 0xf7));
    p.fillRect(image.rect(), sky);

    // A soft light arc behind the photo, and a row of dots along the foot.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(QPointF(170, 66), 80, 80);
    p.setBrush(QColor(255, 255, 255, 90));
    for (int x = 20; x <= 220; x += 20)
        p.drawEllipse(QPointF(x, 298), 3, 3);

    // Photo box with a white mat and a thin dark edge.
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x1d, 0x3f, 0x6e), 1));
    p.drawRoundedRect(QRectF(115.5, 11.5, 110, 110), 6, 6);

    // Title band.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawRoundedRect(QRectF(20, 88, 102, 30), 5, 5);

    // Text area: white, with a shadow and a border just outside what the viewer fills.
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRoundedRect(QRectF(21, 127, 210, 150), 8, 8);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x1d, 0x3f, 0x6e), 1));
    p.drawRoundedRect(QRectF(18.5, 123.5, 213, 153), 8, 8);
    p.setPen(Qt::NoPen);
    p.fillRect(QRect(25, 130, 200, 140), Qt::white);
    p.end();

    if (!image.save(QString::fromLocal8Bit(argv[1]), nullptr, 92)) {
        std::fprintf(stderr, "make-frame: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
