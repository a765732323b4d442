#pragma once
// Shared pieces of the application tests: a main window built on fake
// dialogs and a memory settings store in a fresh data folder, small log
// files of both formats, and readers of Log.txt.

#include "FakeDialogs.h"
#include "files/MemorySettingsStore.h"
#include "text/Format.h"
#include "ui/DriftwiseApp.h"
#include "ui/DriftwiseDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The lines of the series list and the labels of the tabs, in order.
inline std::vector<std::string> ListLines(const CDriftwiseDlg& window) {
    std::vector<std::string> lines;
    for (int i = 0; i < window.SeriesList()->count(); ++i)
        lines.push_back(window.SeriesList()->itemText(i).toStdString());
    return lines;
}

inline std::vector<std::string> TabTexts(const CDriftwiseDlg& window) {
    std::vector<std::string> labels;
    for (int i = 0; i < window.Tabs()->count(); ++i) labels.push_back(window.Tabs()->tabText(i).toStdString());
    return labels;
}

// A CEOS C1A1 log with `series` series of `images` samples each, 2 s apart.
inline std::string C1A1LogText(int series, int images) {
    std::string text = "<html><body><pre>\n12:00:00 Corrector ready.\n";
    int time = 5000;
    for (int s = 0; s < series; ++s) {
        text += "12:00:01 C1A1 series successfully started.\n";
        text += FormatText("12:00:01 dTime: %d s\n", time);
        for (int i = 1; i <= images; ++i)
            text += FormatText("12:00:%02d #%d: C1: -50.00 nm, A1: %.4f nm / %.2f deg, %d cnts\n", i % 60, i,
                               1.0 + 0.05 * ((i * 7 + s) % 11), 10.0 * ((i * 3 + s) % 17), 1000 + i);
        time += 2 * images;
        text += "12:30:00 C1A1 series stopped by user.\n";
        text += FormatText("12:30:00 dTime: %d s\n", time);
        time += 100;
    }
    text += "</pre></body></html>\n";
    return text;
}

// An ATLASStab log of `images` samples, 3 s apart.
inline std::string ATLASStabLogText(int images) {
    std::string text = "img  a22x err(a22x)  a22y err(a22y)  filetime\n";
    for (int i = 1; i <= images; ++i)
        text += FormatText("%d  %.3f 0.050  %.3f 0.060  %d\n", i, 0.5 + 0.01 * ((i * 5) % 13),
                           -0.3 + 0.02 * ((i * 3) % 7), 7000 + 3 * i);
    text += "#\n";
    return text;
}

inline void WriteTextFile(const std::string& path, const std::string& text) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

inline std::string ReadTextFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return std::string();
    return file.readAll().toStdString();
}

// The lines of a log text ("\r\n" before every line) without their stamps.
inline std::vector<std::string> LogMessages(const std::string& text) {
    std::vector<std::string> messages;
    std::size_t pos = 0;
    while ((pos = text.find("\r\n", pos)) != std::string::npos) {
        pos += 2;
        std::size_t end = text.find("\r\n", pos);
        std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        // "YYYY/MM/DD HH:MM:SS: " is 21 characters.
        messages.push_back(line.size() >= 21 ? line.substr(21) : line);
        if (end == std::string::npos) break;
        pos = end;
    }
    return messages;
}

inline int CountPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    int n = 0;
    for (const std::string& line : lines) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strDataFolder = CDriftwiseApp::DataFolderPath();
        QDir(QString::fromStdString(m_strDataFolder)).removeRecursively();
        ASSERT_TRUE(m_files.isValid());
    }

    // The main window; modal dialogs are recorded by title and answered
    // with m_nDialogResult (or by m_onDialog when set).
    std::unique_ptr<CDriftwiseDlg> MakeWindow(ISettingsStore* store = nullptr) {
        DRIFTWISESETUP setup;
        setup.pDialogs = &m_dialogs;
        setup.pStore = store ? store : &m_store;
        setup.strDataFolder = m_strDataFolder;
        setup.runDialog = [this](QDialog& dialog) {
            m_dialogTitles.push_back(dialog.windowTitle().toStdString());
            if (m_onDialog) return m_onDialog(dialog);
            return m_nDialogResult;
        };
        return std::make_unique<CDriftwiseDlg>(setup);
    }

    std::string FilePath(const std::string& name) const {
        return m_files.filePath(QString::fromStdString(name)).toStdString();
    }
    std::string FilesFolder() const { return QDir(m_files.path()).absolutePath().toStdString() + "/"; }
    std::string LogPath() const { return m_strDataFolder + "/Log.txt"; }
    std::string SetupPath() const { return m_strDataFolder + "/Setup.prm"; }
    std::vector<std::string> LogFileMessages() const { return LogMessages(ReadTextFile(LogPath())); }

    // Writes a log file into the temporary folder and returns its path.
    std::string MakeC1A1File(const std::string& name, int series, int images) {
        const std::string path = FilePath(name);
        WriteTextFile(path, C1A1LogText(series, images));
        return path;
    }
    std::string MakeATLASFile(const std::string& name, int images) {
        const std::string path = FilePath(name);
        WriteTextFile(path, ATLASStabLogText(images));
        return path;
    }

    std::string m_strDataFolder;
    QTemporaryDir m_files;
    CFakeDialogs m_dialogs;
    CMemorySettingsStore m_store;
    std::vector<std::string> m_dialogTitles;
    int m_nDialogResult = QDialog::Rejected;
    std::function<int(QDialog&)> m_onDialog;
};
