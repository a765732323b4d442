#pragma once
// The on-screen diagram: owns a CA1DiagramWnd (with the Qt text renderer and
// image encoder), lets it render the shown series into its image and paints
// that image 1:1 inside a 1-pixel sunken edge. The image is made once, with
// the widget's size at Create(); the widget keeps that fixed size.

#include <QWidget>

#include <memory>

class CA1DiagramWnd;
class CA1TimeSeries;
class CQtImageEncoder;
class CQtTextRenderer;
class QPoint;

class CDiagramView : public QWidget {
    Q_OBJECT
public:
    // Client size of the diagram pages' views (the image is 2 pixels smaller
    // each way, inside the edge).
    static constexpr int kViewWidth = 722;
    static constexpr int kViewHeight = 442;

    explicit CDiagramView(QWidget* parent = nullptr);
    ~CDiagramView() override;

    // Builds the diagram image for the widget's current size less the edge.
    // False when the image cannot be made (the view then stays black).
    bool Create();
    CA1DiagramWnd* Diagram() const { return m_pDiagram.get(); }

    // Draws the series into the image and repaints at once; returns what the
    // diagram's Render returned (false without a series or image).
    bool Render(const CA1TimeSeries* series);
    // Saves the last rendering; false on any failure.
    bool SaveImage(const std::string& path);

    QSize sizeHint() const override;

signals:
    // A right click inside the diagram, at a global screen position.
    void diagramContextMenu(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::unique_ptr<CQtTextRenderer> m_pText;
    std::unique_ptr<CQtImageEncoder> m_pEncoder;
    std::unique_ptr<CA1DiagramWnd> m_pDiagram;
};
