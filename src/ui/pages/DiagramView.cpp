#include "ui/pages/DiagramView.h"

#include "platform/qt/QtImageEncoder.h"
#include "platform/qt/QtTextRenderer.h"
#include "plot/DiagramContent.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QtGlobal>

#include <cmath>

namespace {
constexpr int kEdge = 1;
}

CDiagramView::CDiagramView(QWidget* parent)
    : QWidget(parent), m_pText(std::make_unique<CQtTextRenderer>()), m_pEncoder(std::make_unique<CQtImageEncoder>()),
      m_pDiagram(std::make_unique<CA1Diagram>(m_pText.get(), m_pEncoder.get())) {
    // The image covers the whole client area: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // The default size until a layout gives the view its room.
    resize(kViewWidth, kViewHeight);
    m_refitTimer.setSingleShot(true);
    m_refitTimer.setInterval(kRefitDelayMs);
    connect(&m_refitTimer, &QTimer::timeout, this, &CDiagramView::Refit);
}

CDiagramView::~CDiagramView() = default;

QSize CDiagramView::sizeHint() const { return QSize(kViewWidth, kViewHeight); }
QSize CDiagramView::minimumSizeHint() const { return QSize(kMinViewWidth, kMinViewHeight); }

QSize CDiagramView::WantedImageSize() const {
    const double ratio = devicePixelRatioF();
    const int w = std::max(width() - 2 * kEdge, 0);
    const int h = std::max(height() - 2 * kEdge, 0);
    return QSize(static_cast<int>(std::lround(w * ratio)), static_cast<int>(std::lround(h * ratio)));
}

QSize CDiagramView::ImageSize() const { return QSize(m_pDiagram->Image().Width(), m_pDiagram->Image().Height()); }

bool CDiagramView::ImageFits() const {
    return m_pDiagram->IsCreated() && ImageSize() == WantedImageSize() &&
           m_pDiagram->m_style.dScale == devicePixelRatioF();
}

bool CDiagramView::Create() {
    const QSize size = WantedImageSize();
    const bool made = m_pDiagram->Create(size.width(), size.height(), devicePixelRatioF());
    if (made) m_bRendered = false;
    update();
    return made;
}

bool CDiagramView::Render(const CA1TimeSeries* series) {
    // Without a series the image stays as it is.
    if (series && !ImageFits()) Create();
    m_refitTimer.stop();
    const bool drawn = m_pDiagram->Render(series);
    if (series && m_pDiagram->IsCreated()) m_bRendered = true;
    repaint();
    return drawn;
}

void CDiagramView::Refit() {
    m_refitTimer.stop();
    if (ImageFits()) return;
    const bool shown = m_bRendered;
    if (!Create()) return;
    const CA1TimeSeries* series = m_seriesSource ? m_seriesSource() : nullptr;
    if (series) {
        m_pDiagram->Render(series);
        m_bRendered = true;
    } else if (shown) {
        // The series has gone since the last rendering: plain background.
        m_pDiagram->Clear();
        m_bRendered = true;
    }
    update();
}

void CDiagramView::ScheduleRefit() {
    if (!ImageFits()) m_refitTimer.start();
}

bool CDiagramView::SaveImage(const std::string& path) {
    if (m_refitTimer.isActive()) Refit();
    return m_pDiagram->SaveImage(path);
}

void CDiagramView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ScheduleRefit();
}

bool CDiagramView::event(QEvent* event) {
    // A move to a screen with another scale.
    switch (event->type()) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    case QEvent::DevicePixelRatioChange:
#endif
    case QEvent::ScreenChangeInternal: ScheduleRefit(); break;
    default: break;
    }
    return QWidget::event(event);
}

void CDiagramView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    // Sunken edge, one logical pixel wide at every scale: dark on top and
    // left, light on bottom and right.
    const QColor dark = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    painter.fillRect(QRect(0, 0, w, kEdge), dark);
    painter.fillRect(QRect(0, 0, kEdge, h), dark);
    painter.fillRect(QRect(kEdge, h - kEdge, w - kEdge, kEdge), light);
    painter.fillRect(QRect(w - kEdge, kEdge, kEdge, h - kEdge), light);

    const CImage32& image = m_pDiagram->Image();
    const QRect client(kEdge, kEdge, w - 2 * kEdge, h - 2 * kEdge);
    if (image.IsValid()) {
        QImage view(reinterpret_cast<const uchar*>(image.Data()), image.Width(), image.Height(), image.BytesPerLine(),
                    QImage::Format_RGB32);
        if (ImageFits()) {
            // One image pixel per device pixel.
            view.setDevicePixelRatio(m_pDiagram->m_style.dScale);
            painter.drawImage(QPoint(kEdge, kEdge), view);
        } else {
            // The last rendering, stretched over the client area until the
            // re-render (a scale change that came without an event is caught
            // here too).
            painter.drawImage(client, view);
            if (!m_refitTimer.isActive()) ScheduleRefit();
        }
    } else {
        painter.fillRect(client, Qt::black);
    }
}

void CDiagramView::contextMenuEvent(QContextMenuEvent* event) {
    // Only a pointer request with a point inside the diagram opens the menu.
    if (event->reason() == QContextMenuEvent::Keyboard || !rect().contains(event->pos())) {
        event->ignore();
        return;
    }
    event->accept();
    emit diagramContextMenu(event->globalPos());
}
