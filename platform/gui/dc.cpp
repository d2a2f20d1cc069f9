#include "platform/gui/dc.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

namespace {

QColor ToQt(COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
COLORREF FromQt(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }
QRect ToQt(const CRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

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

CDC::CDC(QPainter& painter)
    : m_painter(painter), m_text(GetSysColor(COLOR_WINDOWTEXT)), m_background(GetSysColor(COLOR_WINDOW)) {}

int CDC::SaveDC() {
    m_painter.save();
    m_saved.push_back({m_text, m_background});
    return static_cast<int>(m_saved.size());
}

void CDC::RestoreDC(int saved) {
    while (static_cast<int>(m_saved.size()) >= saved && saved > 0 && !m_saved.empty()) {
        m_painter.restore();
        m_text = m_saved.back().text;
        m_background = m_saved.back().background;
        m_saved.pop_back();
    }
}

COLORREF CDC::SetTextColor(COLORREF color) { return std::exchange(m_text, color); }

COLORREF CDC::SetBkColor(COLORREF color) { return std::exchange(m_background, color); }

void CDC::FillSolidRect(const CRect& rect, COLORREF color) { m_painter.fillRect(ToQt(rect), ToQt(color)); }

int CDC::DrawText(const CString& text, const CRect& rect, unsigned format) {
    int flags = 0;
    flags |= (format & DT_RIGHT) ? Qt::AlignRight : (format & DT_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    flags |= (format & DT_VCENTER) && (format & DT_SINGLELINE) ? Qt::AlignVCenter
             : (format & DT_BOTTOM)                             ? Qt::AlignBottom
                                                                : Qt::AlignTop;
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    else if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    if (format & DT_NOCLIP)
        flags |= Qt::TextDontClip;
    m_painter.save();
    m_painter.setPen(ToQt(m_text));
    QRect drawn;
    m_painter.drawText(ToQt(rect), flags, QString::fromStdU16String(text.str()), &drawn);
    m_painter.restore();
    return drawn.height();
}

CSize CDC::GetTextExtent(const CString& text) const {
    const QFontMetrics metrics = m_painter.fontMetrics();
    return {metrics.horizontalAdvance(QString::fromStdU16String(text.str())), metrics.height()};
}

void CDC::IntersectClipRect(const CRect& rect) { m_painter.setClipRect(ToQt(rect), Qt::IntersectClip); }

void CDC::SelectClipRect(const CRect& rect) { m_painter.setClipRect(ToQt(rect), Qt::ReplaceClip); }

void CDC::DrawFocusRect(const CRect& rect) {
    m_painter.save();
    QPen dotted(ToQt(m_text), 1, Qt::DotLine);
    m_painter.setPen(dotted);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(ToQt(rect).adjusted(0, 0, -1, -1));
    m_painter.restore();
}
