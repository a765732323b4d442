#pragma once
// The on-screen diagram: owns a CA1DiagramWnd, renders the shown series into
// its image and paints that image 1:1.

#include <QWidget>

#include <memory>

class CA1DiagramWnd;
class CA1TimeSeries;

class CDiagramView : public QWidget {
    Q_OBJECT
public:
    explicit CDiagramView(QWidget* parent = nullptr);
    ~CDiagramView() override;

    // Creates the diagram window with the widget's current size; false when
    // the image cannot be made.
    bool Create();
    CA1DiagramWnd* Diagram() const { return m_pDiagram.get(); }
    // Draws the series (or the empty diagram) and repaints.
    void Render(CA1TimeSeries* series);

signals:
    // Right click on the diagram, at a global screen position.
    void contextMenuRequestedAt(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::unique_ptr<CA1DiagramWnd> m_pDiagram;
};
