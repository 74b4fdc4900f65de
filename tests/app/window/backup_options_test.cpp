// The backup and print options dialog: what the user can and cannot enter.
#include "app/window/frm_bkup_opt.h"
#include "controls/lv_up_down.h"
#include "model/device_globals.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class BackupOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { TestApp(); }

    // Clicks OK (or Cancel); true when the dialog closed.
    static bool Click(QPushButton* button) {
        button->window()->show();
        QTest::mouseClick(button, Qt::LeftButton);
        return !button->window()->isVisible();
    }
    static void Type(QLineEdit* edit, const QString& keys) {
        edit->setFocus();
        for (const QChar c : keys)
            QTest::keyClick(edit, c.toLatin1());
    }

    TScopedDialogService dialogs;
    TPreExpressScope mode_{false};
};

TEST_F(BackupOptionsTest, OkNeedsSaveOrPrintAndThePathFollowsSave) {
    TfrmBkupOpt d;
    EXPECT_FALSE(d.btnOk->isEnabled());
    d.chkPrint->setChecked(true);
    EXPECT_TRUE(d.btnOk->isEnabled());
    EXPECT_FALSE(d.edtPath->isEnabled());
    EXPECT_FALSE(d.btnBrowse->isEnabled());
    d.chkSave->click();
    EXPECT_TRUE(d.edtPath->isEnabled());
    EXPECT_TRUE(d.btnBrowse->isEnabled());
    d.chkPrint->click();
    d.chkSave->click();
    EXPECT_FALSE(d.btnOk->isEnabled());
    EXPECT_TRUE(d.btnPrtSetup->isDefault());
    EXPECT_EQ(d.btnPrtSetup->toolTip(), "Printer selection/configuration");
}

TEST_F(BackupOptionsTest, UntitledNameOnlyWhenTheBoxIsChecked) {
    TfrmBkupOpt d;
    EXPECT_EQ(d.UntitledName(), "");
    d.edtUntitled->setText("");
    d.chkUntitled->click();
    EXPECT_TRUE(d.edtUntitled->isEnabled());
    EXPECT_EQ(d.edtUntitled->text(), "Untitled");
    d.edtUntitled->setText("");
    EXPECT_EQ(d.UntitledName(), "Untitled");
    d.edtUntitled->setText("Nameless");
    EXPECT_EQ(d.UntitledName(), "Nameless");
    d.chkUntitled->click();
    EXPECT_EQ(d.UntitledName(), "");
}

TEST_F(BackupOptionsTest, NumberEditsTakeDigitsOnlyNotEvenBackspace) {
    TfrmBkupOpt d;
    d.show();
    d.edtLastNo->setText("");
    Type(d.edtLastNo, "1a-2 5");
    EXPECT_EQ(d.edtLastNo->text(), "125");
    QTest::keyClick(d.edtLastNo, Qt::Key_Backspace);
    EXPECT_EQ(d.edtLastNo->text(), "125");
    d.edtLastNo->setCursorPosition(0);
    QTest::keyClick(d.edtLastNo, Qt::Key_Delete);
    EXPECT_EQ(d.edtLastNo->text(), "25");
    // Arrow keys and the up-down step within the bounds.
    QTest::keyClick(d.edtLastNo, Qt::Key_Up);
    EXPECT_EQ(d.edtLastNo->text(), "26");
    d.edtFirstNo->setText("1");
    QTest::mouseClick(d.updFirstNo->btnDown, Qt::LeftButton);
    EXPECT_EQ(d.edtFirstNo->text(), "1");
    d.edtLastNo->setText("200");
    QTest::mouseClick(d.updLastNo->btnUp, Qt::LeftButton);
    EXPECT_EQ(d.edtLastNo->text(), "200");
}

TEST_F(BackupOptionsTest, LeavingANumberEditChecksIt) {
    TfrmBkupOpt d;
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    d.edtFirstNo->setFocus();
    d.edtFirstNo->setText("0");
    QTest::keyClick(d.edtFirstNo, Qt::Key_Tab);
    QTest::qWait(10);
    ASSERT_EQ(dialogs.service.Messages().size(), 1u);
    EXPECT_EQ(dialogs.service.Messages()[0].text, "Invalid preset number");
    EXPECT_EQ(QApplication::focusWidget(), d.edtFirstNo);
    d.edtFirstNo->setText("");
    QTest::keyClick(d.edtFirstNo, Qt::Key_Tab);
    QTest::qWait(10);
    EXPECT_EQ(dialogs.service.Messages().back().text, "'' is not a valid integer value");
}

TEST_F(BackupOptionsTest, CloseChecksNumbersAndRangeEvenOnCancel) {
    TfrmBkupOpt d;
    d.chkSave->setChecked(true);
    d.edtFirstNo->setText("201");
    EXPECT_FALSE(Click(d.btnCancel)); // the numbers are checked on Cancel too
    EXPECT_EQ(dialogs.service.Messages().back().text, "Invalid preset number");
    d.edtFirstNo->setText("10");
    d.edtLastNo->setText("5");
    EXPECT_TRUE(Click(d.btnCancel)); // the range is not
    d.show();
    EXPECT_FALSE(Click(d.btnOk));
    EXPECT_EQ(dialogs.service.Messages().back().text, "Invalid preset number range");
    EXPECT_EQ(dialogs.service.Messages().back().caption, "Error");
    d.edtLastNo->setText("10");
    EXPECT_TRUE(Click(d.btnOk));
    EXPECT_EQ(d.result(), 1);
    EXPECT_EQ(std::make_pair(d.FirstNo(), d.LastNo()), std::make_pair(10, 10));
}

TEST_F(BackupOptionsTest, PreExpressBoundOfProgramChangesIs128) {
    {
        TfrmBkupOpt express;
        express.SetLoopMethod(1);
        EXPECT_EQ(express.edtLastNo->text(), "200");
        EXPECT_TRUE(express.chkBank[1]->isEnabled());
    }
    SetPreExpressMode(true);
    TfrmBkupOpt d;
    for (QCheckBox* box : d.chkBank)
        EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(d.lblOutPut->text(), "Output directory:");
    d.chkPrint->setChecked(true);
    d.SetLoopMethod(1);
    EXPECT_EQ(d.edtLastNo->text(), "128");
    QTest::mouseClick(d.updLastNo->btnUp, Qt::LeftButton);
    EXPECT_EQ(d.edtLastNo->text(), "128");
    d.edtLastNo->setText("129");
    EXPECT_FALSE(Click(d.btnOk));
    EXPECT_EQ(dialogs.service.Messages().back().text, "Invalid preset number");
    d.SetLoopMethod(0);
    EXPECT_EQ(d.edtLastNo->text(), "200");
    EXPECT_TRUE(Click(d.btnOk));
}

TEST_F(BackupOptionsTest, BrowseStartsWithoutTheSeparatorAndAddsOne) {
    TfrmBkupOpt d;
    d.chkSave->setChecked(true);
    const QString sep = QDir::separator();
    QTemporaryDir presets;
    ASSERT_TRUE(presets.isValid());
    d.edtPath->setText(QDir::toNativeSeparators(presets.path()) + sep);
    dialogs.service.QueuePath("/data/backup");
    d.btnBrowse->click();
    EXPECT_EQ(dialogs.service.Last().caption, "Select output folder:");
    EXPECT_EQ(dialogs.service.Last().text, QDir::toNativeSeparators(presets.path()));
    EXPECT_EQ(d.Path(), QDir::toNativeSeparators("/data/backup") + sep);
    d.btnBrowse->click(); // cancelled: the path stays
    EXPECT_EQ(d.Path(), QDir::toNativeSeparators("/data/backup") + sep);
}

} // namespace
