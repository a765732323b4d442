#include "ui/pages/DiagramView.h"

#include "platform/qt/QtImageEncoder.h"
#include "platform/qt/QtTextRenderer.h"
#include "plot/DiagramWnd.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QPainter>

namespace {
constexpr int kEdge = 1;
}

CDiagramView::CDiagramView(QWidget* parent)
    : QWidget(parent), m_pText(std::make_unique<CQtTextRenderer>()), m_pEncoder(std::make_unique<CQtImageEncoder>()),
      m_pDiagram(std::make_unique<CA1DiagramWnd>(m_pText.get(), m_pEncoder.get())) {
    // The image covers the whole client area: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kViewWidth, kViewHeight);
}

CDiagramView::~CDiagramView() = default;

QSize CDiagramView::sizeHint() const { return QSize(kViewWidth, kViewHeight); }

bool CDiagramView::Create() {
    const bool made = m_pDiagram->Create(width() - 2 * kEdge, height() - 2 * kEdge);
    update();
    return made;
}

bool CDiagramView::Render(const CA1TimeSeries* series) {
    const bool drawn = m_pDiagram->Render(series);
    repaint();
    return drawn;
}

bool CDiagramView::SaveImage(const std::string& path) { return m_pDiagram->SaveImage(path); }

void CDiagramView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    // Sunken edge: dark on top and left, light on bottom and right.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, w - 1, 0);
    painter.drawLine(0, 0, 0, h - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(1, h - 1, w - 1, h - 1);
    painter.drawLine(w - 1, 1, w - 1, h - 1);

    const CImage32& image = m_pDiagram->m_image;
    if (image.IsValid()) {
        const QImage view(reinterpret_cast<const uchar*>(image.Data()), image.Width(), image.Height(),
                          image.BytesPerLine(), QImage::Format_RGB32);
        painter.drawImage(kEdge, kEdge, view);
    } else {
        painter.fillRect(kEdge, kEdge, w - 2 * kEdge, h - 2 * kEdge, Qt::black);
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
