#pragma once
// The start-up work that needs no window, done on a worker thread while the
// window thread starts the window system and builds the windows: the font
// configuration, the window icon's images and the file-type database (once
// the window system is up), then the devices of this machine and the
// built-in virtual unit. Each result is waited for where it is first needed.
#include <QIcon>
#include <QImage>

#include <latch>
#include <string>
#include <thread>
#include <vector>

class TStartupWorker {
public:
    TStartupWorker();
    ~TStartupWorker();
    TStartupWorker(const TStartupWorker&) = delete;
    TStartupWorker& operator=(const TStartupWorker&) = delete;

    // The application object exists: image and file-type readers may start.
    void WindowSystemStarted();
    // Before the first text is laid out.
    void WaitForFonts();
    // The program's icon in the sizes title bars and task lists use.
    QIcon WindowIcon();
    // Waits until the devices are listed; returns what the user should hear
    // about it: that no MIDI interface can be used (the device module did not
    // load), that the virtual unit's memory file was damaged. Empty when all
    // is well.
    std::vector<std::string> WaitForDevices();

private:
    void Run();

    std::latch fontsRead_{1};
    std::latch windowSystemUp_{1};
    std::latch iconRead_{1};
    bool windowSystemSignalled_ = false;
    std::vector<QImage> iconImages_;
    std::vector<std::string> notices_;
    std::jthread thread_; // last: starts once the members above exist
};
