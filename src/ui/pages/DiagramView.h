#pragma once
// The on-screen diagram: owns a CA1Diagram (with the Qt text renderer and
// image encoder), lets it render the shown series into its image and paints
// that image 1:1 inside a 1-pixel sunken edge. The image always has the size
// of the client area in device pixels (logical size times the device-pixel
// ratio) and is drawn at that scale: a resize, or a move to a screen with
// another scale, re-renders it once the change has come to rest (the last
// image is shown scaled meanwhile).

#include "plot/PlotMetrics.h"

#include <QSize>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class CA1Diagram;
class CA1TimeSeries;
class CQtImageEncoder;
class CQtTextRenderer;
class QPoint;

class CDiagramView : public QWidget {
    Q_OBJECT
public:
    // Default client size of the diagram pages' views (the image is 2 pixels
    // smaller each way, inside the edge); the view may stretch from there.
    static constexpr int kViewWidth = kDefaultDiagramWidth + 2;
    static constexpr int kViewHeight = kDefaultDiagramHeight + 2;
    // The smallest view on which a diagram is still readable.
    static constexpr int kMinViewWidth = 362;
    static constexpr int kMinViewHeight = 222;
    // How long a size change must rest before the diagram is drawn anew.
    static constexpr int kRefitDelayMs = 60;

    explicit CDiagramView(QWidget* parent = nullptr);
    ~CDiagramView() override;

    // Builds the diagram image (black) for the widget's current size less the
    // edge, in device pixels. False when the image cannot be made (the view
    // then stays black).
    bool Create();
    CA1Diagram* Diagram() const { return m_pDiagram.get(); }

    // Draws the series into the image (first made anew when the view's size
    // or scale changed) and repaints at once; returns what the diagram's
    // Render returned (false without a series or image; without a series the
    // image is left as it is).
    bool Render(const CA1TimeSeries* series);
    // Saves the image that is shown (a pending re-render is done first);
    // false on any failure.
    bool SaveImage(const std::string& path);
    // Size of the image in pixels (0 x 0 without one).
    QSize ImageSize() const;
    // The image size that fits the client area now, in device pixels.
    QSize WantedImageSize() const;
    // True while a re-render after a size or scale change is waiting.
    bool RefitPending() const { return m_refitTimer.isActive(); }
    // Makes the image fit the client area now and draws the series of the
    // series source into it; nothing when it fits already.
    void Refit();

    // Where the series for a re-render comes from (the page's shown series,
    // or null); without a source a re-render leaves plain background.
    void SetSeriesSource(std::function<const CA1TimeSeries*()> source) { m_seriesSource = std::move(source); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A right click inside the diagram, at a global screen position.
    void diagramContextMenu(const QPoint& globalPos);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // True when the image has the wanted size and the current scale.
    bool ImageFits() const;
    void ScheduleRefit();

    std::unique_ptr<CQtTextRenderer> m_pText;
    std::unique_ptr<CQtImageEncoder> m_pEncoder;
    std::unique_ptr<CA1Diagram> m_pDiagram;
    std::function<const CA1TimeSeries*()> m_seriesSource;
    QTimer m_refitTimer;
    bool m_bRendered = false;  // the image holds a rendering (not the black of creation)
};
