// The settings dialog, the welcome window, the About and disclaimer boxes,
// the Qt dialogs' filter texts and the file-error box.

#include "AppTestSupport.h"

#include "platform/qt/QtDialogs.h"
#include "ui/AboutDlg.h"
#include "ui/DisclaimerDlg.h"
#include "ui/FileErrorBox.h"
#include "ui/Pictures.h"
#include "ui/SettingsDlg.h"
#include "ui/SplashDlg.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Types the texts into the settings dialog and presses OK.
bool PressOk(CDriftwiseSettingsDlg& dialog, const char* diversity, const char* phase) {
    dialog.DiversityField()->setText(QString::fromLatin1(diversity));
    dialog.PhaseField()->setText(QString::fromLatin1(phase));
    dialog.setResult(QDialog::Rejected);
    dialog.accept();
    return dialog.result() == QDialog::Accepted;
}

}  // namespace

TEST(AppSettingsDialog, DiversityOutsideFiveToFiftyThousandIsRefusedOnce) {
    CFakeDialogs dialogs;
    CDriftwiseSettingsDlg dialog(&dialogs);
    dialog.SetValues(10, 0.25);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Program Settings");

    for (const char* refused : {"4", "50001", "", "0", "99999999999"}) {
        dialogs.m_messages.clear();
        EXPECT_FALSE(PressOk(dialog, refused, "0.25")) << refused;
        ASSERT_EQ(dialogs.m_messages.size(), 1u) << refused;
        EXPECT_EQ(dialogs.m_messages[0].text, "Enter an integer between 5 and 50000.");
        EXPECT_EQ(dialog.m_nMinDiversity, 10);
    }
    dialogs.m_messages.clear();
    EXPECT_TRUE(PressOk(dialog, "5", "0.25"));
    EXPECT_EQ(dialog.m_nMinDiversity, 5);
    EXPECT_TRUE(PressOk(dialog, "50000", "0.25"));
    EXPECT_EQ(dialog.m_nMinDiversity, 50000);
    EXPECT_TRUE(dialogs.m_messages.empty());
    // The field takes digits only.
    dialog.DiversityField()->clear();
    QTest::keyClicks(dialog.DiversityField(), QStringLiteral("-1x2"));
    EXPECT_EQ(dialog.DiversityField()->text().toStdString(), "12");
}

TEST(AppSettingsDialog, PhaseIsClampedAndShownWithThreeDecimals) {
    CFakeDialogs dialogs;
    CDriftwiseSettingsDlg dialog(&dialogs);
    dialog.SetValues(10, 0.25);
    EXPECT_EQ(dialog.PhaseField()->text().toStdString(), "0.250");

    EXPECT_TRUE(PressOk(dialog, "10", "0"));
    EXPECT_DOUBLE_EQ(dialog.m_dLimitPhase, 0.001);
    EXPECT_TRUE(PressOk(dialog, "10", "5000"));
    EXPECT_DOUBLE_EQ(dialog.m_dLimitPhase, 1000.0);
    EXPECT_TRUE(PressOk(dialog, "10", "abc"));
    EXPECT_DOUBLE_EQ(dialog.m_dLimitPhase, 0.001);
    EXPECT_TRUE(PressOk(dialog, "10", "-3"));
    EXPECT_DOUBLE_EQ(dialog.m_dLimitPhase, 0.001);
    EXPECT_TRUE(PressOk(dialog, "10", "1e999"));
    EXPECT_DOUBLE_EQ(dialog.m_dLimitPhase, 1000.0);
    EXPECT_TRUE(PressOk(dialog, "10", "0.25xyz"));
    EXPECT_DOUBLE_EQ(dialog.m_dLimitPhase, 0.25);
    // An empty field leaves the tolerance as it was.
    EXPECT_TRUE(PressOk(dialog, "10", ""));
    EXPECT_DOUBLE_EQ(dialog.m_dLimitPhase, 0.25);

    CDriftwiseSettingsDlg again(&dialogs);
    again.SetValues(dialog.m_nMinDiversity, dialog.m_dLimitPhase);
    EXPECT_EQ(again.PhaseField()->text().toStdString(), "0.250");
    EXPECT_EQ(again.DiversityField()->text().toStdString(), "10");
    EXPECT_TRUE(dialogs.m_messages.empty());
}

TEST(AppSplash, NotClosableDuringLockThenClosesOnClick) {
    CDriftwiseSplashDlg splash(nullptr, 150, 5000);
    EXPECT_EQ(splash.windowTitle().toStdString(), "Welcome !");
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    QTest::mouseClick(&splash, Qt::LeftButton);
    QTest::keyClick(&splash, Qt::Key_Escape);
    QTest::keyClick(&splash, Qt::Key_Return);
    splash.reject();
    splash.accept();
    splash.close();
    EXPECT_TRUE(splash.isVisible());
    EXPECT_FALSE(splash.IsClosable());

    EXPECT_TRUE(QTest::qWaitFor([&] { return splash.IsClosable(); }, 3000));
    EXPECT_TRUE(splash.isVisible());
    QTest::mouseClick(&splash, Qt::RightButton);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(splash.result(), QDialog::Accepted);
}

TEST(AppSplash, KeyClosesAfterLock) {
    CDriftwiseSplashDlg splash(nullptr, 50, 5000);
    splash.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return splash.IsClosable(); }, 3000));
    QTest::keyClick(&splash, Qt::Key_Space);
    EXPECT_FALSE(splash.isVisible());
}

TEST(AppSplash, ClosesItselfAfterLockAndCloseTime) {
    CDriftwiseSplashDlg splash(nullptr, 60, 120);
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(0, &splash, [&] { EXPECT_TRUE(splash.isVisible()); });
    splash.exec();
    // At least the two waits; generous on the upper side for a busy machine.
    EXPECT_GE(clock.elapsed(), 170);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(splash.isVisible());
}

TEST(AppInfoDialogs, AboutAndDisclaimerShowTheirPicturesAndButtons) {
    EXPECT_FALSE(BannerPicture().isNull());
    EXPECT_EQ(DisclaimerPicture().size(), QSize(500, 396));
    EXPECT_FALSE(ProgramIcon().isNull());

    CAboutDlg about;
    EXPECT_EQ(about.windowTitle().toStdString(), "About Driftwise");
    EXPECT_EQ(about.findChildren<QLabel*>().size(), 2);
    auto* notice = about.findChild<QLabel*>("licenseNotice");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text().toStdString(), "Version 1.0.2 (build 140206) \xE2\x80\x94 licensed under the GNU General "
                                            "Public License, version 3 or later (GPL-3.0-or-later).");
    auto* aboutButtons = about.findChild<QDialogButtonBox*>();
    ASSERT_NE(aboutButtons, nullptr);
    ASSERT_NE(aboutButtons->button(QDialogButtonBox::Ok), nullptr);
    aboutButtons->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);

    CDisclaimerDlg disclaimer;
    EXPECT_EQ(disclaimer.windowTitle().toStdString(), "Disclaimer");
    const QList<QPushButton*> buttons = disclaimer.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text().toStdString(), "Acknowledged!");
    buttons[0]->click();
    EXPECT_EQ(disclaimer.result(), QDialog::Accepted);
}

TEST(AppQtDialogs, FiltersBecomeQtNameFilters) {
    EXPECT_EQ(
        CQtDialogs::QtNameFilter({"CEOS C1A1 log file (*.html;*.txt;*.log)", "*.html; *.txt; *.log"}).toStdString(),
        "CEOS C1A1 log file (*.html *.txt *.log)");
    EXPECT_EQ(CQtDialogs::QtNameFilter({"Portable Network Graphics  (*.png)", "*.png"}).toStdString(),
              "Portable Network Graphics  (*.png)");
    EXPECT_EQ(CQtDialogs::QtNameFilter({"All Files  (*.*)", "*.*"}).toStdString(), "All Files  (*)");
    EXPECT_EQ(CQtDialogs::QtNameFilter({"Logs", "*.log"}).toStdString(), "Logs (*.log)");
    EXPECT_EQ(CQtDialogs::MessageText("a\r\nb\r\n\r\nc").toStdString(), "a\nb\n\nc");
}

TEST(AppFileErrorBox, ShowsTheErrorAndTheFile) {
    CFakeDialogs dialogs;
    CFileErrorBox box(&dialogs);
    IFileErrorReporter* previous = SetFileErrorReporter(&box);
    ReportFileError("/data/Setup.prm", "No space left on device");
    SetFileErrorReporter(previous);
    ASSERT_EQ(dialogs.m_messages.size(), 1u);
    EXPECT_EQ(dialogs.m_messages[0].icon, MessageIcon::Error);
    EXPECT_NE(dialogs.m_messages[0].text.find("No space left on device"), std::string::npos);
    EXPECT_NE(dialogs.m_messages[0].text.find("[/data/Setup.prm]"), std::string::npos);
}
