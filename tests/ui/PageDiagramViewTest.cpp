// The on-screen diagram widget: image size, 1:1 painting and the right-click
// request that opens the pages' context menu.

#include "PageTestSupport.h"

#include "plot/DiagramContent.h"
#include "ui/pages/DiagramView.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QPixmap>

namespace {

class PageDiagramView : public CQtTestApp, public ::testing::Test {
protected:
    CDiagramView m_view;
};

TEST_F(PageDiagramView, ImageFitsInsideTheEdgeAndIsPaintedOneToOne) {
    ASSERT_TRUE(m_view.Create());
    CA1Diagram& diagram = *m_view.Diagram();
    EXPECT_EQ(m_view.size(), QSize(CDiagramView::kViewWidth, CDiagramView::kViewHeight));
    EXPECT_EQ(diagram.Image().Width(), CDiagramView::kViewWidth - 2);
    EXPECT_EQ(diagram.Image().Height(), CDiagramView::kViewHeight - 2);
    EXPECT_TRUE(m_view.testAttribute(Qt::WA_OpaquePaintEvent));

    std::vector<CA1TimeSeries> list;
    ImportGenerated(list, 200, 2);
    EXPECT_TRUE(m_view.Render(&list.front()));
    EXPECT_FALSE(m_view.Render(nullptr));

    const QImage shown = m_view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), m_view.size());
    int differing = 0;
    for (int y = 0; y < diagram.Image().Height(); y += 3)
        for (int x = 0; x < diagram.Image().Width(); x += 3) {
            const COLOR c = diagram.Image().GetPixel(x, y);
            if (shown.pixel(x + 1, y + 1) != qRgb(c.r, c.g, c.b)) ++differing;
        }
    EXPECT_EQ(differing, 0);
}

TEST_F(PageDiagramView, OnlyAPointerRequestInsideAsksForTheMenu) {
    m_view.Create();
    std::vector<QPoint> requests;
    QObject::connect(&m_view, &CDiagramView::diagramContextMenu,
                     [&](const QPoint& global) { requests.push_back(global); });

    QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(10, 10), QPoint(110, 210));
    QApplication::sendEvent(&m_view, &keyboard);
    EXPECT_TRUE(requests.empty());

    QContextMenuEvent outside(QContextMenuEvent::Mouse, QPoint(-5, 10), QPoint(95, 210));
    QApplication::sendEvent(&m_view, &outside);
    EXPECT_TRUE(requests.empty());

    QContextMenuEvent inside(QContextMenuEvent::Mouse, QPoint(30, 40), QPoint(130, 240));
    QApplication::sendEvent(&m_view, &inside);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], QPoint(130, 240));
}

}  // namespace
