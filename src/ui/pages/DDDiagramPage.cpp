#include "ui/pages/DDDiagramPage.h"

#include "eval/EvalSteps.h"
#include "files/MainParameters.h"
#include "log/LogFile.h"
#include "platform/Dialogs.h"
#include "text/Format.h"
#include "ui/pages/DiagramView.h"

#include <QMenu>

CDDDiagramPage::CDDDiagramPage(QWidget* parent) : CDDPage(parent) {}
CDDDiagramPage::~CDDDiagramPage() = default;

CDiagramView* CDDDiagramPage::MakeDiagramView() {
    m_pView = new CDiagramView(this);
    m_pView->Create();
    // A re-render after a size or scale change shows the page's series.
    m_pView->SetSeriesSource([this]() -> const CA1TimeSeries* { return m_pSeries; });
    connect(m_pView, &CDiagramView::diagramContextMenu, this, &CDDDiagramPage::ShowContextMenu);
    return m_pView;
}

void CDDDiagramPage::Log(const std::string& line) const { LogIfAttached(m_pLog, line); }

bool CDDDiagramPage::CanExport() const { return m_pSeries != nullptr && m_pView != nullptr && isVisible(); }

std::string CDDDiagramPage::ImageExtensionForFilter(int filterIndex) {
    switch (filterIndex) {
    case 1: return "jpg";
    case 2: return "png";
    case 3: return "tif";
    case 4: return "bmp";
    default: return std::string();
    }
}

bool CDDDiagramPage::HasFileExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.find('.', nameStart) != std::string::npos;
}

void CDDDiagramPage::OnExportImage() {
    if (!CanExport() || !m_pDialogs) return;
    FILEDIALOGREQUEST request;
    request.filters = {{"JPEG Format  (*.jpg)", "*.jpg"},
                       {"Portable Network Graphics  (*.png)", "*.png"},
                       {"Tagged Image File Format  (*.tif)", "*.tif"},
                       {"Uncompressed Bitmap  (*.bmp)", "*.bmp"}};
    request.filterIndex = 2;
    request.defaultExtension = "png";
    request.confirmOverwrite = true;
    FILEDIALOGRESULT result;
    if (!m_pDialogs->SaveFile(DialogOwner(), request, result)) return;

    std::string path = result.path;
    if (!HasFileExtension(path)) {
        const std::string extension = ImageExtensionForFilter(result.filterIndex);
        if (extension.empty()) {
            Log("ERROR: Aborted saving the diagram image. Invalid image format.");
            return;
        }
        path += "." + extension;
    }
    // The image shown is the one saved: first brought up to the view's size.
    m_pView->Refit();
    const QSize size = m_pView->ImageSize();
    Log(FormatText("Saving the diagram image of %d x %d pixels.", size.width(), size.height()));
    if (!m_pView->SaveImage(path)) Log("ERROR: Failed to save the diagram image.");
    else Log("Diagram image saved to file [" + path + "].");
}

void CDDDiagramPage::ExportTable(ExportRoutine routine, const char* successText) {
    ExportData(false, routine, successText);
}

void CDDDiagramPage::ExportBinary(ExportRoutine routine, const char* successText) {
    ExportData(true, routine, successText);
}

void CDDDiagramPage::ExportData(bool binary, ExportRoutine routine, const char* successText) {
    if (!CanExport() || !m_pDialogs) return;
    FILEDIALOGREQUEST request;
    if (binary) {
        request.filters = {{"Binary Data  (*.dat)", "*.dat"}, {"All Files  (*.*)", "*.*"}};
        request.defaultExtension = "dat";
    } else {
        request.filters = {{"Text Data Table  (*.txt)", "*.txt"}, {"All Files  (*.*)", "*.*"}};
        request.defaultExtension = "txt";
    }
    request.filterIndex = 1;
    request.confirmOverwrite = true;
    FILEDIALOGRESULT result;
    if (!m_pDialogs->SaveFile(DialogOwner(), request, result)) return;
    // A page without an export for its display type asks for the file but
    // writes nothing.
    if (!routine) return;
    if (routine(*m_pSeries, result.path)) Log(successText + result.path + "].");
    else Log(binary ? "ERROR: Failed to save binary data." : "ERROR: Failed to save data table.");
}

QMenu* CDDDiagramPage::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName("Context Menu");
    connect(menu->addAction("Export Image"), &QAction::triggered, this, [this] { OnExportImage(); });
    connect(menu->addAction("Export Data Table"), &QAction::triggered, this, [this] { OnExportTable(); });
    connect(menu->addAction("Export Binary Data"), &QAction::triggered, this, [this] { OnExportBinary(); });
    return menu;
}

void CDDDiagramPage::ShowContextMenu(const QPoint& globalPos) {
    QMenu* menu = CreateContextMenu(this);
    menu->exec(globalPos);
    delete menu;
}

EVALINPUTS CDDDiagramPage::ParameterEvalInputs() const {
    EVALINPUTS inputs;
    if (!m_pParams) return inputs;
    inputs.nMinDiversity = m_pParams->MinDiversity;
    inputs.dEnergykV = m_pParams->ElEnergykV;
    inputs.dResolutionAng = m_pParams->TargetResAng;
    inputs.dLimitPhase = m_pParams->LimitPhase;
    return inputs;
}
