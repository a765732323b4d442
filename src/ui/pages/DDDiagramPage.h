#pragma once
// What the three diagram pages share: the embedded diagram view, Export
// Image, the data-export procedure and the diagram's context menu.

#include "ui/DDPage.h"

#include <string>

class CDiagramView;
struct EVALINPUTS;
class QMenu;
class QPoint;

class CDDDiagramPage : public CDDPage {
    Q_OBJECT
public:
    explicit CDDDiagramPage(QWidget* parent = nullptr);
    ~CDDDiagramPage() override;

    // Saves the page's last rendering as JPEG, PNG, TIFF or BMP.
    void OnExportImage() override;

    CDiagramView* View() const { return m_pView; }

    // The diagram's context menu with "Export Image", "Export Data Table" and
    // "Export Binary Data", wired to the page's handlers; the caller owns it.
    QMenu* CreateContextMenu(QWidget* parent);

    // Extension appended to a chosen image file name without one, by the
    // 1-based filter index of the image dialog; empty for an unknown index.
    static std::string ImageExtensionForFilter(int filterIndex);
    // True when the file name (after the last "/") holds a ".".
    static bool HasFileExtension(const std::string& path);

protected:
    // Makes the view before the page lays out its controls and creates the
    // diagram image; the view is a child of the page and takes the room the
    // page has for it.
    CDiagramView* MakeDiagramView();

    // The exports act only for a shown series on a visible page.
    bool CanExport() const;

    using ExportRoutine = int (*)(const CA1TimeSeries&, const std::string&);
    // Data export: file dialog (text table or binary data), then the routine;
    // logs failureText, or successText + path + "].".
    void ExportTable(ExportRoutine routine, const char* successText);
    void ExportBinary(ExportRoutine routine, const char* successText);

    void Log(const std::string& line) const;
    // The evaluation inputs of the program parameters (the steps' defaults
    // without parameters).
    EVALINPUTS ParameterEvalInputs() const;
    // The owner handle handed to the dialogs.
    void* DialogOwner() { return static_cast<QWidget*>(this); }

    CDiagramView* m_pView = nullptr;

private:
    void ShowContextMenu(const QPoint& globalPos);
    void ExportData(bool binary, ExportRoutine routine, const char* successText);
};
