#include "controls/browse_folder.h"
#include "controls/busy_cursor.h"
#include "controls/delay_with_messages.h"
#include "controls/seams/qt_dialog_service.h"
#include "controls/seams/shell_service.h"
#include "tests/support/manual_tick_source.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"

#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class TThrowingWidget : public QWidget {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw std::runtime_error("Something broke in a handler");
        return QWidget::event(e);
    }
};

struct TTickGuard {
    explicit TTickGuard(TManualTickSource& s) { SetTickSource(&s); }
    ~TTickGuard() { SetTickSource(nullptr); }
};

} // namespace

TEST(DelayWithMessages, HandlesPostedWorkAndNestedWaitsWhileWaiting) {
    TestApp();
    TManualTickSource clock(1000, 1);
    TTickGuard guard(clock);
    int outerRan = 0, innerRan = 0;
    QTimer::singleShot(0, [&] {
        ++outerRan;
        // A handler that itself waits: the waits nest.
        QTimer::singleShot(0, [&] { ++innerRan; });
        DelayWithMessages(20);
    });
    DelayWithMessages(50);
    EXPECT_EQ(outerRan, 1);
    EXPECT_EQ(innerRan, 1);
}

TEST(DelayWithMessages, WaitsTheTickSourceTimeAcrossTheCounterWrap) {
    TestApp();
    TManualTickSource clock(0xFFFFFFF0u, 1);
    TTickGuard guard(clock);
    DelayWithMessages(40);
    const std::uint32_t now = clock.Now();
    // Started 16 ticks before the wrap; at least 40 ticks passed.
    EXPECT_GE(now, 24u);
    EXPECT_LT(now, 1000u);
}

TEST(DelayWithMessages, RealClockWaitIsNeitherShortNorFarTooLong) {
    TestApp();
    const auto start = tick::GetTickCount();
    DelayWithMessages(30);
    const auto took = tick::GetTickCount() - start;
    EXPECT_GE(took, 30u);
    EXPECT_LT(took, 500u);
}

TEST(DefaultErrorHandler, ShowsTheTextUnderTheApplicationTitleAndCarriesOn) {
    TestApp();
    TScopedDialogService dialogs;
    TThrowingWidget widget;
    QEvent boom(QEvent::User);
    EXPECT_FALSE(QApplication::sendEvent(&widget, &boom));
    ASSERT_EQ(dialogs.service.Messages().size(), 1u);
    EXPECT_EQ(dialogs.service.Last().text, "Something broke in a handler");
    EXPECT_EQ(dialogs.service.Last().caption, "HRZ2000e");
    // Still alive and dispatching.
    QEvent again(QEvent::User);
    QApplication::sendEvent(&widget, &again);
    EXPECT_EQ(dialogs.service.Messages().size(), 2u);
}

TEST(DefaultErrorHandler, RunShowingErrorsReportsWhetherItFailed) {
    TestApp();
    TScopedDialogService dialogs;
    EXPECT_TRUE(RunShowingErrors([] {}));
    EXPECT_FALSE(RunShowingErrors([] { throw std::runtime_error("Bad"); }));
    EXPECT_EQ(dialogs.service.Last().text, "Bad");
}

TEST(BusyCursor, IsRestoredAfterNestingAndAfterAnError) {
    TestApp();
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    try {
        TBusyCursor outer;
        {
            TBusyCursor inner;
            ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
            EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
        throw std::runtime_error("fail during a long operation");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(DesktopShell, ReportsMissingFilesAndFoldersWithShellCodes) {
    TestApp();
    QTemporaryDir dir;
    EXPECT_EQ(Shell().OpenDocument(dir.filePath("contents.htm"), {}), shFileNotFound);
    EXPECT_EQ(Shell().OpenDocument(dir.filePath("gone/contents.htm"), {}), shPathNotFound);
    // A folder is not a document.
    QDir(dir.path()).mkdir("sub.htm");
    EXPECT_EQ(Shell().OpenDocument(dir.filePath("sub.htm"), {}), shFileNotFound);
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// xdg-open's exit status arrives after the call: 3 when no browser is set.
TEST(DesktopShell, TheLaunchersExitStatusIsTheLateVerdict) {
    TestApp();
    QTemporaryDir dir;
    const QString page = dir.filePath("help page.htm");
    QFile(page).open(QIODevice::WriteOnly);
    const QString launcher = dir.filePath("xdg-open");
    const QString argument = dir.filePath("argument");
    const std::pair<const char*, int> cases[] = {
        {"exit 0", shOk},
        {"exit 2", shFileNotFound},
        {"exit 3", shNoAssociation},
        {"exit 4", shNoAssociation},
        {"kill -9 $$", shNoAssociation},
    };
    for (const auto& [body, verdict] : cases) {
        QFile script(launcher);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write(QByteArray("#!/bin/sh\nprintf '%s' \"$1\" > '") + argument.toUtf8() + "'\n" +
                     body + "\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(argument);

        const auto shell = MakeDesktopShell(launcher);
        int late = -1, calls = 0;
        EXPECT_EQ(shell->OpenDocument(page, [&](int result) { late = result, ++calls; }), shOk);
        QElapsedTimer waited;
        waited.start();
        while (calls == 0 && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();
        EXPECT_EQ(calls, 1) << body;
        EXPECT_EQ(late, verdict) << body;
        QFile given(argument);
        ASSERT_TRUE(given.open(QIODevice::ReadOnly)) << body;
        EXPECT_EQ(QString::fromUtf8(given.readAll()), page) << body;
    }
    // A caller that wants no verdict gets none, and nothing breaks when the
    // launcher (the last script above) ends: the default error handler would
    // show what a handler threw.
    TScopedDialogService dialogs;
    QFile::remove(argument);
    EXPECT_EQ(MakeDesktopShell(launcher)->OpenDocument(page, {}), shOk);
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(argument) && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QElapsedTimer ended;
    ended.start();
    while (ended.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(QFile::exists(argument));
    EXPECT_TRUE(dialogs.service.Messages().empty());
}
#endif

TEST(QtMessageBox, IsWideEnoughForItsCaptionHoweverShortItsText) {
    TestApp();
    const QString caption = "MIDI communications error";
    QMessageBox box;
    TQtDialogService::PrepareMessageBox(box, "X", caption, mbOK, TMsgDlgType::mtError);
    box.show();
    QCoreApplication::processEvents();
    QFont bold = QApplication::font();
    bold.setBold(true);
    const int captionText = QFontMetrics(bold).horizontalAdvance(caption);
    EXPECT_GT(TQtDialogService::CaptionWidth(caption), captionText);
    EXPECT_GE(box.width(), TQtDialogService::CaptionWidth(caption));
    // A long text still decides the width itself.
    QMessageBox wide;
    const QString text(60, u'W');
    TQtDialogService::PrepareMessageBox(wide, text, "OK", mbOK, TMsgDlgType::mtInformation);
    wide.show();
    QCoreApplication::processEvents();
    EXPECT_GE(wide.width(), QFontMetrics(QApplication::font()).horizontalAdvance(text));
}

TEST(BrowseFolder, OpensAtTheNearestExistingFolderAndAnswersWithATrailingSeparator) {
    TestApp();
    TScopedDialogService dialogs;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString sep = QDir::separator();
    const QString base = QDir::toNativeSeparators(dir.path());

    // An existing folder, given with its separator: opened as it is.
    dialogs.service.QueuePath(dir.filePath("chosen/../chosen"));
    EXPECT_EQ(BrowseFolder(nullptr, "Pick:", base + sep), base + sep + "chosen" + sep);
    EXPECT_EQ(dialogs.service.Last().kind, "folder");
    EXPECT_EQ(dialogs.service.Last().caption, "Pick:");
    EXPECT_EQ(dialogs.service.Last().text, base);

    // A folder removed since: its nearest parent that still exists.
    BrowseFolder(nullptr, "Pick:", base + sep + "gone" + sep + "deeper");
    EXPECT_EQ(dialogs.service.Last().text, base);
    // Nothing usable: the home folder.
    for (const QString& start : {QString(), QStringLiteral("relative/name")}) {
        BrowseFolder(nullptr, "Pick:", start);
        EXPECT_EQ(dialogs.service.Last().text, QDir::toNativeSeparators(QDir::homePath()));
    }
    // The root keeps its separator.
    BrowseFolder(nullptr, "Pick:", QDir::rootPath());
    EXPECT_EQ(dialogs.service.Last().text, QDir::toNativeSeparators(QDir::rootPath()));

    // Cancelled: nothing.
    EXPECT_EQ(BrowseFolder(nullptr, "Pick:", base), QString());
}
