#include "controls/lv_splash_about.h"
#include "explorer/midi_explorer.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"

#include <QAction>
#include <QLabel>
#include <gtest/gtest.h>

TEST(AboutMenu, OpensTheAboutWindowModallyThroughTheDialogSeam) {
    TestApp();
    QApplication::setApplicationVersion("9.8.7");
    TScopedDialogService dialogs;
    TfrmMIDIExplorer window;
    EXPECT_EQ(window.miAbout->statusTip(), "Hey... click me!");

    QString version;
    bool aboutMode = false;
    dialogs.service.QueueModal([&](QDialog& dialog) {
        auto* about = qobject_cast<TlvSplashAbout*>(&dialog);
        if (about) {
            aboutMode = about->Mode() == TlvSplashAbout::TMode::About;
            version = about->lblVersion->text();
        }
        return int(mrOk);
    });
    window.miAbout->trigger();

    ASSERT_EQ(dialogs.service.History().size(), 1u);
    EXPECT_EQ(dialogs.service.Last().kind, "modal");
    EXPECT_EQ(dialogs.service.Last().text, "TlvSplashAbout");
    EXPECT_EQ(dialogs.service.Last().caption, "About HRZ2000e");
    EXPECT_TRUE(aboutMode);
    EXPECT_EQ(version, "Version 9.8.7");
}
