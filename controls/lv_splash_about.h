#pragma once
// The program's splash and about window. As a splash it appears before the
// main window exists, says "Initializing..." and goes away by itself a moment
// after the main window is on screen. As the about box it is a modal dialog
// with an OK button. Both show the product texts, the operating system, the
// free memory and a link to the help page.
#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

// Texts the program sets once at start; the window reads them when it is built.
struct TProductTexts {
    QString ProductName;
    QString Description;
    QString Version;
    QString Copyright;
};

class TlvSplashAbout : public QDialog {
    Q_OBJECT
public:
    enum class TMode { Splash, About };
    static constexpr int kCheckIntervalMs = 500;
    static constexpr int kCloseDelayMs = 1000;
    // Start-up that never shows the main window still loses the splash.
    static constexpr int kLongestShowMs = 30000;

    // The texts every splash and about window shows. Empty fields fall back to
    // the application's name and version and the built-in description.
    static void SetProductTexts(const TProductTexts& texts);
    static TProductTexts ProductTexts();

    explicit TlvSplashAbout(TMode mode, QWidget* parent = nullptr,
                            int checkIntervalMs = kCheckIntervalMs,
                            int closeDelayMs = kCloseDelayMs);

    // Shows a splash at once, without waiting; it frees itself when it closes.
    // beforeShowing runs once the window is built and before it is laid out
    // and shown: what the first text needs can still be on its way then.
    static TlvSplashAbout* ShowSplash(int checkIntervalMs = kCheckIntervalMs,
                                      int closeDelayMs = kCloseDelayMs,
                                      const std::function<void()>& beforeShowing = {});
    // The window whose appearance ends the splash, closeDelayMs after it
    // shows. Should it be destroyed before it ever shows, the splash closes too.
    void WatchWindow(QWidget* window);
    void SetStatus(const QString& text);
    TMode Mode() const { return mode_; }

    // Opens the help page; without a handler the page beside the program is
    // opened through the shell.
    std::function<void()> HelpRequested;

    QLabel* lblProduct = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblOperatingSystem = nullptr;
    QLabel* lblFreeMemory = nullptr;
    QLabel* lblLinks = nullptr; // about box only
    QLabel* lblStatus = nullptr;
    QPushButton* btnOK = nullptr;
    QTimer* timSplash = nullptr;
    QTimer* timClose = nullptr;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void timSplashTimer();
    void lblLinksLinkActivated(const QString& link);
    void OpenHelpThroughShell();

    TMode mode_;
    QPointer<QWidget> watched_;
    bool watching_ = false;
    int checksLeft_ = 0;
};
