#include "controls/lv_splash_about.h"
#include "controls/seams/dialog_service.h"
#include "controls/seams/shell_service.h"
#include "controls/seams/system_info.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Runs the event loop, deferred deletes included, until done() or the time is up.
template <typename Done> bool PumpUntil(Done done, int timeoutMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return done();
}

void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

class TRecordingShell : public IShellService {
public:
    int OpenDocument(const QString& path, TShellLateResult lateResult) override {
        opened.push_back(path);
        late = std::move(lateResult);
        return answer;
    }
    int answer = shOk;
    TShellLateResult late;
    QStringList opened;
};

struct TShellGuard {
    explicit TShellGuard(IShellService& s) { SetShellService(&s); }
    ~TShellGuard() { SetShellService(nullptr); }
};

constexpr int kTick = 5;
constexpr int kDelay = 150;

} // namespace

TEST(SplashWindow, WaitsForTheWatchedWindowThenTheDelayThenFreesItself) {
    TestApp();
    // What runs before showing finds the splash built and not yet on screen.
    int built = 0, visible = 0;
    QPointer<TlvSplashAbout> splash = TlvSplashAbout::ShowSplash(kTick, kDelay, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* s = qobject_cast<TlvSplashAbout*>(window)) {
                ++built;
                visible += s->isVisible();
            }
    });
    EXPECT_EQ(built, 1);
    EXPECT_EQ(visible, 0);
    ASSERT_TRUE(splash);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->lblStatus->text(), "Initializing...");
    EXPECT_FALSE(splash->btnOK->isVisible());
    // Its labels do not wrap: each is wide and tall enough for its whole text.
    for (const QLabel* label : splash->findChildren<QLabel*>()) {
        const QRect needed = label->fontMetrics().boundingRect(QRect(), 0, label->text());
        EXPECT_GE(label->contentsRect().width(), needed.width()) << label->text().toStdString();
        EXPECT_GE(label->contentsRect().height(), needed.height()) << label->text().toStdString();
    }

    // Not watching anything yet, then watching a hidden window: it stays.
    PumpFor(60);
    QWidget mainWindow;
    splash->WatchWindow(&mainWindow);
    PumpFor(3 * kDelay);
    ASSERT_TRUE(splash);
    EXPECT_TRUE(splash->isVisible());

    mainWindow.show();
    QElapsedTimer shown;
    shown.start();
    EXPECT_TRUE(PumpUntil([&] { return splash.isNull(); }));
    EXPECT_GE(shown.elapsed(), kDelay);
}

TEST(SplashWindow, ClosesTheDelayAfterTheWindowShowsNotAtTheNextLook) {
    TestApp();
    QPointer<TlvSplashAbout> splash = TlvSplashAbout::ShowSplash(3000, 100);
    QWidget mainWindow;
    splash->WatchWindow(&mainWindow);
    mainWindow.show();
    QElapsedTimer shown;
    shown.start();
    EXPECT_TRUE(PumpUntil([&] { return splash.isNull(); }));
    EXPECT_GE(shown.elapsed(), 100);
    EXPECT_LT(shown.elapsed(), 2000);
}

TEST(SplashWindow, NeverOutlivesAFailedStart) {
    TestApp();
    {
        // The main window goes away before it was ever shown.
        QPointer<TlvSplashAbout> splash = TlvSplashAbout::ShowSplash(kTick, kDelay);
        auto mainWindow = std::make_unique<QWidget>();
        splash->WatchWindow(mainWindow.get());
        PumpFor(20);
        mainWindow.reset();
        EXPECT_TRUE(PumpUntil([&] { return splash.isNull(); }));
    }
    {
        // A start-up message box is not left under the splash.
        QPointer<TlvSplashAbout> splash = TlvSplashAbout::ShowSplash(kTick, kDelay);
        QDialog box;
        box.setModal(true);
        box.show();
        EXPECT_TRUE(PumpUntil([&] { return splash.isNull(); }));
    }
    {
        // A click dismisses it.
        QPointer<TlvSplashAbout> splash = TlvSplashAbout::ShowSplash(kTick, kDelay);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(splash, &press);
        EXPECT_TRUE(PumpUntil([&] { return splash.isNull(); }));
    }
}

TEST(AboutWindow, ShowsProductSystemAndMemoryTextsWithAnOkButton) {
    TestApp();
    QApplication::setApplicationVersion("3.2.1");
    TlvSplashAbout::SetProductTexts({"HRZ2000e", "", "", ""});
    TlvSplashAbout about(TlvSplashAbout::TMode::About);

    EXPECT_EQ(about.windowTitle(), "About HRZ2000e");
    EXPECT_EQ(about.lblProduct->text(), "HRZ2000e");
    EXPECT_TRUE(about.lblDescription->text().contains("HRZ2000 Express"));
    EXPECT_EQ(about.lblVersion->text(), "Version 3.2.1");
    EXPECT_FALSE(about.lblCopyright->text().isEmpty());
    EXPECT_TRUE(about.lblOperatingSystem->text().startsWith("Operating system: "));
    EXPECT_GT(about.lblOperatingSystem->text().size(), QString("Operating system: ").size() + 3);
    EXPECT_TRUE(about.lblFreeMemory->text().startsWith("Free memory: "));
#ifdef Q_OS_LINUX
    EXPECT_NE(about.lblFreeMemory->text(), "Free memory: unknown");
#endif
    EXPECT_FALSE(about.testAttribute(Qt::WA_DeleteOnClose));

    about.show();
    EXPECT_TRUE(about.btnOK->isVisible());
    EXPECT_FALSE(about.lblStatus->isVisible());
    about.btnOK->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
    // The timer of the splash never runs in the about box.
    EXPECT_FALSE(about.timSplash->isActive());
    TlvSplashAbout::SetProductTexts({});
}

TEST(AboutWindow, HelpLinkOpensThePageBesideTheProgramOrSaysWhyNot) {
    TestApp();
    TRecordingShell shell;
    TShellGuard shellGuard(shell);
    TScopedDialogService dialogs;
    TlvSplashAbout about(TlvSplashAbout::TMode::About);

    emit about.lblLinks->linkActivated("help:contents");
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0],
              QDir(QCoreApplication::applicationDirPath()).filePath("contents.htm"));
    EXPECT_TRUE(dialogs.service.Messages().empty());
    // The launcher's verdict: success says nothing, a failure names the page.
    shell.late(shOk);
    EXPECT_TRUE(dialogs.service.Messages().empty());
    shell.late(shNoAssociation);
    ASSERT_EQ(dialogs.service.Messages().size(), 1u);
    EXPECT_EQ(dialogs.service.Messages()[0].caption, "Sorry...");
    EXPECT_EQ(dialogs.service.Messages()[0].text,
              "Cannot open the help page \"" + QDir::toNativeSeparators(shell.opened[0]) + "\"");
    dialogs.service.ClearHistory();

    shell.answer = shFileNotFound;
    emit about.lblLinks->linkActivated("help:contents");
    ASSERT_EQ(dialogs.service.Messages().size(), 1u);
    EXPECT_EQ(dialogs.service.Messages()[0].caption, "Sorry...");
    EXPECT_TRUE(dialogs.service.Messages()[0].text.contains("contents.htm"));

    // The owner's own help handler wins over the shell.
    int handled = 0;
    about.HelpRequested = [&] { ++handled; };
    emit about.lblLinks->linkActivated("help:contents");
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(shell.opened.size(), 2);
}

TEST(FreeMemory, ReadsAvailableMemoryFromTheKernelText) {
    const char* modern = "MemTotal:       16310532 kB\n"
                         "MemFree:          812345 kB\n"
                         "MemAvailable:    9000000 kB\n"
                         "Buffers:          100000 kB\n"
                         "Cached:          4000000 kB\n"
                         "SwapCached:        20000 kB\n";
    auto status = ParseMeminfo(modern);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->AvailableBytes, 9000000ull * 1024);
    EXPECT_EQ(status->TotalBytes, 16310532ull * 1024);

    // Older kernels lack MemAvailable; SwapCached must not be taken for Cached.
    auto old = ParseMeminfo("MemTotal: 2000 kB\nMemFree: 100 kB\nBuffers: 20 kB\n"
                            "SwapCached: 999 kB\nCached: 300 kB");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->AvailableBytes, 420ull * 1024);

    auto noTotal = ParseMeminfo("MemAvailable: 1 kB\n");
    ASSERT_TRUE(noTotal);
    EXPECT_EQ(noTotal->TotalBytes, 0u);

    EXPECT_FALSE(ParseMeminfo(""));
    EXPECT_FALSE(ParseMeminfo("MemTotal: 2000 kB\n"));
    EXPECT_FALSE(ParseMeminfo("MemAvailable: lots\nMemAvailableX: 5 kB\n"));
    EXPECT_FALSE(ParseMeminfo("MemAvailable: 99999999999999999999 kB\n"));
    EXPECT_EQ(FreeMemoryText(std::nullopt), "Free memory: unknown");
}
