#include "ui/FileErrorBox.h"

#include "platform/Dialogs.h"

std::string CFileErrorBox::MessageText(const std::string& path, const std::string& errorText) {
    std::string text = errorText.empty() ? std::string("An unknown file error occurred.") : errorText;
    if (!path.empty()) text += "\n\nFile: [" + path + "]";
    return text;
}

void CFileErrorBox::ReportFileError(const std::string& path, const std::string& errorText) {
    if (m_pDialogs) m_pDialogs->Message(nullptr, MessageText(path, errorText), "Driftwise", MessageIcon::Error);
}
