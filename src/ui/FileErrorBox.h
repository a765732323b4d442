#pragma once
// Shows file errors during reading or writing as a modal message box.

#include "files/FileErrorReporter.h"

class IDialogs;

class CFileErrorBox : public IFileErrorReporter {
public:
    explicit CFileErrorBox(IDialogs* dialogs) : m_pDialogs(dialogs) {}
    void ReportFileError(const std::string& path, const std::string& errorText) override;

    // The text of the box: the platform's error text and the file.
    static std::string MessageText(const std::string& path, const std::string& errorText);

private:
    IDialogs* m_pDialogs;
};
