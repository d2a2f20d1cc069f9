#include "platform/gui/dc.h"

#include "platform/device.h"
#include "platform/gui/resources.h"
#include "platform/gui/window.h"

#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QTextOption>

namespace {

// Pictures are kept in the screen's own format, so that copies need no conversion.
constexpr QImage::Format kScreenFormat = QImage::Format_RGB32;

QColor ToQt(COLORREF c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
COLORREF FromQt(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}
QRect ToQt(const CRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

} // namespace

COLORREF GetSysColor(int index) {
    const QPalette palette = QApplication::palette();
    switch (index) {
    case COLOR_HIGHLIGHT:
        return FromQt(palette.color(QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT:
        return FromQt(palette.color(QPalette::HighlightedText));
    case COLOR_WINDOWTEXT:
        return FromQt(palette.color(QPalette::WindowText));
    default:
        return FromQt(palette.color(QPalette::Window));
    }
}

CBitmap::CBitmap() = default;

CBitmap::~CBitmap() {
    DeleteObject();
}

bool CBitmap::LoadBitmap(int resourceId) {
    DeleteObject();
    const QImage image = platform::gui::detail::ResourceImage(resourceId);
    if (image.isNull())
        return false;
    m_image = std::make_unique<QImage>(image.convertToFormat(kScreenFormat));
    return true;
}

bool CBitmap::LoadImageFile(const CString& path) {
    DeleteObject();
    if (path.IsEmpty())
        return false;
    const auto host = platform::ThisDevice().HostPath(path.str());
    if (!host)
        return false;
    QImageReader reader(QString::fromStdString(host->string()));
    reader.setAutoTransform(true); // a photo stands as it was taken
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    m_image = std::make_unique<QImage>(image.convertToFormat(kScreenFormat));
    return true;
}

bool CBitmap::CreateCompatibleBitmap(CDC*, int width, int height) {
    DeleteObject();
    if (width <= 0 || height <= 0)
        return false;
    auto image = std::make_unique<QImage>(width, height, kScreenFormat);
    if (image->isNull())
        return false;
    image->fill(Qt::white);
    m_image = std::move(image);
    return true;
}

int CBitmap::GetBitmap(BITMAP* info) const {
    if (!m_image)
        return 0;
    if (info)
        *info = {m_image->width(), m_image->height()};
    return 1;
}

bool CBitmap::DeleteObject() {
    if (m_selectedInto)
        m_selectedInto->SelectObject(nullptr);
    return std::exchange(m_image, nullptr) != nullptr;
}

CDC::CDC() : m_text(RGB(0, 0, 0)), m_background(RGB(255, 255, 255)) {}

CDC::CDC(QPainter& painter)
    : m_painter(&painter), m_text(GetSysColor(COLOR_WINDOWTEXT)),
      m_background(GetSysColor(COLOR_WINDOW)) {}

CDC::~CDC() {
    DeleteDC();
}

void CDC::Begin(QPaintDevice& device) {
    End();
    m_own = std::make_unique<QPainter>(&device);
    m_own->setFont(QApplication::font());
    m_painter = m_own.get();
}

void CDC::End() {
    m_saved.clear();
    m_own.reset();
    m_painter = nullptr;
}

bool CDC::CreateCompatibleDC(CDC*) {
    if (m_painter)
        return false;
    m_memory = true;
    return true;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    if (!m_memory)
        return nullptr;
    CBitmap* previous = std::exchange(m_selected, bitmap);
    if (previous)
        previous->m_selectedInto = nullptr;
    if (bitmap && bitmap->m_selectedInto && bitmap->m_selectedInto != this)
        bitmap->m_selectedInto->SelectObject(nullptr); // a picture is in one surface at a time
    if (bitmap)
        bitmap->m_selectedInto = this;
    if (bitmap && bitmap->Image())
        Begin(*bitmap->Image());
    else
        End();
    return previous;
}

bool CDC::DeleteDC() {
    End();
    if (!m_memory)
        return false;
    SelectObject(nullptr);
    m_memory = false;
    return true;
}

bool CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                 unsigned rop) {
    return StretchBlt(x, y, width, height, source, xSrc, ySrc, width, height, rop);
}

bool CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                     int srcWidth, int srcHeight, unsigned rop) {
    const QImage* picture = source && source->m_selected ? source->m_selected->Image() : nullptr;
    if (!m_painter || !picture || rop != SRCCOPY)
        return false;
    if (width == 0 || height == 0)
        return true;
    m_painter->save();
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform,
                             width != srcWidth || height != srcHeight);
    m_painter->drawImage(QRect(x, y, width, height), *picture,
                         QRect(xSrc, ySrc, srcWidth, srcHeight));
    m_painter->restore();
    return true;
}

int CDC::SaveDC() {
    if (!m_painter)
        return 0;
    m_painter->save();
    m_saved.push_back({m_text, m_background});
    return static_cast<int>(m_saved.size());
}

void CDC::RestoreDC(int saved) {
    while (static_cast<int>(m_saved.size()) >= saved && saved > 0 && !m_saved.empty()) {
        m_painter->restore();
        m_text = m_saved.back().text;
        m_background = m_saved.back().background;
        m_saved.pop_back();
    }
}

COLORREF CDC::SetTextColor(COLORREF color) {
    return std::exchange(m_text, color);
}

COLORREF CDC::SetBkColor(COLORREF color) {
    return std::exchange(m_background, color);
}

void CDC::FillSolidRect(const CRect& rect, COLORREF color) {
    if (m_painter)
        m_painter->fillRect(ToQt(rect), ToQt(color));
}

int CDC::DrawText(const CString& text, const CRect& rect, unsigned format) {
    if (!m_painter)
        return 0;
    Qt::Alignment alignment = (format & DT_RIGHT)    ? Qt::AlignRight
                              : (format & DT_CENTER) ? Qt::AlignHCenter
                                                     : Qt::AlignLeft;
    alignment |= (format & DT_VCENTER) && (format & DT_SINGLELINE) ? Qt::AlignVCenter
                 : (format & DT_BOTTOM)                            ? Qt::AlignBottom
                                                                   : Qt::AlignTop;
    int flags = static_cast<int>(alignment);
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    else if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    if (format & DT_NOCLIP)
        flags |= Qt::TextDontClip;
    m_painter->save();
    m_painter->setPen(ToQt(m_text));
    QRect drawn;
    const QString qtext = QString::fromStdU16String(text.str());
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE) && (format & DT_NOPREFIX)) {
        // On the phone a word longer than the line breaks where the line ends; Qt's word
        // wrap would let it run out of the rectangle. (Drawn this way, text is clipped.)
        QTextOption option(alignment);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_painter->drawText(QRectF(ToQt(rect)), qtext, option);
        drawn = m_painter->boundingRect(QRectF(ToQt(rect)), qtext, option).toAlignedRect();
    } else {
        m_painter->drawText(ToQt(rect), flags, qtext, &drawn);
    }
    m_painter->restore();
    return drawn.height();
}

CSize CDC::GetTextExtent(const CString& text) const {
    const QFontMetrics metrics =
        m_painter ? m_painter->fontMetrics() : QFontMetrics(QApplication::font());
    return {metrics.horizontalAdvance(QString::fromStdU16String(text.str())), metrics.height()};
}

void CDC::IntersectClipRect(const CRect& rect) {
    if (m_painter)
        m_painter->setClipRect(ToQt(rect), Qt::IntersectClip);
}

void CDC::SelectClipRect(const CRect& rect) {
    if (m_painter)
        m_painter->setClipRect(ToQt(rect), Qt::ReplaceClip);
}

void CDC::DrawFocusRect(const CRect& rect) {
    if (!m_painter)
        return;
    m_painter->save();
    QPen dotted(ToQt(m_text), 1, Qt::DotLine);
    m_painter->setPen(dotted);
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawRect(ToQt(rect).adjusted(0, 0, -1, -1));
    m_painter->restore();
}

namespace {

platform::gui::detail::Canvas* CanvasOf(QWidget* widget) {
    return dynamic_cast<platform::gui::detail::Canvas*>(widget);
}

} // namespace

struct CClientDC::Target {
    QPointer<QWidget> widget;
    std::shared_ptr<QImage> surface;
};

CClientDC::CClientDC(CWnd* window) : m_target(std::make_unique<Target>()) {
    if (auto* hwnd = window ? window->GetSafeHwnd() : nullptr)
        m_target->widget = hwnd->widget;
    if (auto* canvas = CanvasOf(m_target->widget)) {
        m_target->surface = canvas->Surface();
        Begin(*m_target->surface);
    }
}

// What was drawn shows at once, as on the phone, where a window surface is the screen; a
// window that went meanwhile shows nothing.
CClientDC::~CClientDC() {
    End();
    if (auto* canvas = CanvasOf(m_target->widget); canvas && !canvas->Painting())
        m_target->widget->repaint();
}
