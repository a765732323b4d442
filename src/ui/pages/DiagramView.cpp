#include "ui/pages/DiagramView.h"

#if __has_include("plot/A1DiagramWnd.h")
#include "plot/A1DiagramWnd.h"
#define DW_HAVE_DIAGRAM 1
#else
class CA1DiagramWnd {};
#endif

#include <QContextMenuEvent>
#include <QPaintEvent>

CDiagramView::CDiagramView(QWidget* parent) : QWidget(parent) {}
CDiagramView::~CDiagramView() = default;
bool CDiagramView::Create() { return false; }
void CDiagramView::Render(CA1TimeSeries*) { update(); }
void CDiagramView::paintEvent(QPaintEvent*) {}
void CDiagramView::contextMenuEvent(QContextMenuEvent* event) { emit contextMenuRequestedAt(event->globalPos()); }
