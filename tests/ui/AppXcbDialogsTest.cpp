// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt file dialog adapter with the real (non-native) QFileDialog on an X
// server, driven by keys: "Export Image" opens with PNG selected, and the
// chosen filter decides the extension of a bare name.

#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::vector<FILEFILTER> kImageFilters = {{"JPEG Format  (*.jpg)", "*.jpg"},
                                               {"Portable Network Graphics  (*.png)", "*.png"},
                                               {"Tagged Image File Format  (*.tif)", "*.tif"},
                                               {"Uncompressed Bitmap  (*.bmp)", "*.bmp"}};

struct EXPORTCASE {
    int nDownKeys;  // presses of Down in the file type list (PNG first)
    const char* szTyped;
    const char* szExpectedName;
    int nExpectedFilter;
};

}  // namespace

TEST(AppXcbDialogs, SaveDialogPreselectsAndFollowsTheImageFilter) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the xcb platform on an X server (ctest runs it as ui_app_xvfb_1366x768)";
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const EXPORTCASE cases[] = {
        {0, "plain", "plain.png", 2},      // the preselected PNG
        {1, "fm2", "fm2.tif", 3},          // the chosen filter's extension
        {2, "raw", "raw.bmp", 4},          //
        {0, "photo.jpg", "photo.jpg", 2},  // a typed known extension wins
    };
    for (const EXPORTCASE& c : cases) {
        FILEDIALOGREQUEST request;
        request.filters = kImageFilters;
        request.filterIndex = 2;
        request.defaultExtension = "png";
        request.initialFolder = folder.path().toStdString();
        std::string preselected;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            preselected = dialog->selectedNameFilter().toStdString();
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(types, nullptr);
            ASSERT_NE(name, nullptr);
            for (int i = 0; i < c.nDownKeys; ++i) QTest::keyClick(types, Qt::Key_Down);
            name->setFocus();
            QTest::keyClicks(name, QString::fromUtf8(c.szTyped));
            QTest::keyClick(name, Qt::Key_Return);
        });
        FILEDIALOGRESULT result;
        CQtDialogs dialogs;
        ASSERT_TRUE(dialogs.SaveFile(nullptr, request, result)) << c.szTyped;
        EXPECT_NE(preselected.find("(*.png)"), std::string::npos) << "preselected: " << preselected;
        EXPECT_EQ(result.path, folder.filePath(QString::fromUtf8(c.szExpectedName)).toStdString());
        EXPECT_EQ(result.filterIndex, c.nExpectedFilter) << c.szTyped;
    }
}
