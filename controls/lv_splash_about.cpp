#include "controls/lv_splash_about.h"

#include "controls/seams/dialog_service.h"
#include "controls/seams/install_paths.h"
#include "controls/seams/shell_service.h"
#include "controls/seams/system_info.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

TProductTexts g_texts;

const char* const kHelpLink = "help:contents";

QLabel* NewLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    // No word wrap: a wrapping label tries many widths to find its height, and
    // the splash is on the way to the main window's first paint. The texts
    // carry their own line breaks.
    return label;
}

} // namespace

void TlvSplashAbout::SetProductTexts(const TProductTexts& texts) {
    g_texts = texts;
}

TProductTexts TlvSplashAbout::ProductTexts() {
    TProductTexts texts = g_texts;
    if (texts.ProductName.isEmpty())
        texts.ProductName = QApplication::applicationName();
    if (texts.Description.isEmpty())
        texts.Description =
            "Librarian and editor for the HRZ2000 Express guitar multi-effects unit";
    if (texts.Version.isEmpty())
        texts.Version = QApplication::applicationVersion();
    if (texts.Copyright.isEmpty())
        texts.Copyright = "Copyright \u00A9 Lumivale.\nAn independent program, not made or "
                          "supported by the maker of the unit.";
    return texts;
}

TlvSplashAbout::TlvSplashAbout(TMode mode, QWidget* parent, int checkIntervalMs, int closeDelayMs)
    : QDialog(parent), mode_(mode) {
    setObjectName("lvSplashAbout");
    BuildControls();

    timSplash = new QTimer(this);
    timSplash->setObjectName("timSplash");
    timSplash->setInterval(checkIntervalMs);
    checksLeft_ = kLongestShowMs / std::max(1, checkIntervalMs);
    connect(timSplash, &QTimer::timeout, this, [this] { timSplashTimer(); });
    timClose = new QTimer(this);
    timClose->setObjectName("timClose");
    timClose->setSingleShot(true);
    // Precise, so the splash never goes before the promised moment.
    timClose->setTimerType(Qt::PreciseTimer);
    timClose->setInterval(closeDelayMs);
    connect(timClose, &QTimer::timeout, this, &QWidget::close);

    if (mode_ == TMode::Splash) {
        // Above the main window for the second it stays after that appears.
        setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setAttribute(Qt::WA_DeleteOnClose);
        btnOK->hide();
        SetStatus("Initializing...");
        timSplash->start();
    } else {
        setWindowTitle("About " + lblProduct->text());
        setModal(true);
        lblStatus->hide();
    }
}

void TlvSplashAbout::BuildControls() {
    const TProductTexts texts = ProductTexts();

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QFrame(this);
    frame->setObjectName("frmPanel");
    // Without a title bar the splash needs an edge of its own.
    frame->setFrameShape(mode_ == TMode::Splash ? QFrame::Box : QFrame::NoFrame);
    outer->addWidget(frame);

    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(24, 20, 24, 16);
    column->setSpacing(6);

    lblProduct = NewLabel(frame, "lblProduct", texts.ProductName);
    QFont big = lblProduct->font();
    big.setPointSizeF(big.pointSizeF() * 2.0);
    big.setBold(true);
    lblProduct->setFont(big);
    column->addWidget(lblProduct);

    lblDescription = NewLabel(frame, "lblDescription", texts.Description);
    column->addWidget(lblDescription);
    lblVersion = NewLabel(frame, "lblVersion", "Version " + texts.Version);
    column->addWidget(lblVersion);
    lblCopyright = NewLabel(frame, "lblCopyright", texts.Copyright);
    column->addWidget(lblCopyright);

    auto* rule = new QFrame(frame);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    column->addSpacing(4);
    column->addWidget(rule);
    column->addSpacing(4);

    lblOperatingSystem = NewLabel(frame, "lblOperatingSystem", OperatingSystemText());
    column->addWidget(lblOperatingSystem);
    lblFreeMemory = NewLabel(frame, "lblFreeMemory", FreeMemoryText(ReadMemoryStatus()));
    column->addWidget(lblFreeMemory);

    // The link is for the about box; the splash cannot be clicked, and laying out
    // rich text would delay the main window's first paint.
    if (mode_ == TMode::About) {
        lblLinks =
            NewLabel(frame, "lblLinks", QString("<a href=\"%1\">Help contents</a>").arg(kHelpLink));
        lblLinks->setTextFormat(Qt::RichText);
        lblLinks->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                          Qt::LinksAccessibleByKeyboard);
        // Opened through the shell layer, so a missing page gets a message.
        lblLinks->setOpenExternalLinks(false);
        connect(lblLinks, &QLabel::linkActivated, this,
                [this](const QString& link) { lblLinksLinkActivated(link); });
        column->addWidget(lblLinks);
    }

    lblStatus = NewLabel(frame, "lblStatus", QString());
    column->addSpacing(6);
    column->addWidget(lblStatus);

    btnOK = new QPushButton("OK", frame);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    column->addSpacing(6);
    column->addLayout(buttons);

    // A floor inside the layout, not a minimum on a widget: a widget with a
    // minimum of its own ignores what its contents need, and the unwrapped
    // texts would be cut on a small screen.
    const QMargins margins = column->contentsMargins();
    column->addStrut(480 - margins.left() - margins.right());
}

TlvSplashAbout* TlvSplashAbout::ShowSplash(int checkIntervalMs, int closeDelayMs,
                                           const std::function<void()>& beforeShowing) {
    auto* splash = new TlvSplashAbout(TMode::Splash, nullptr, checkIntervalMs, closeDelayMs);
    if (beforeShowing)
        beforeShowing();
    splash->show();
    splash->raise();
    // Painted now: start-up keeps the event loop busy for a while.
    QApplication::processEvents();
    return splash;
}

void TlvSplashAbout::WatchWindow(QWidget* window) {
    if (watched_)
        watched_->removeEventFilter(this);
    watched_ = window;
    watching_ = window != nullptr;
    // The moment it shows counts, not the next look at it.
    if (window)
        window->installEventFilter(this);
}

bool TlvSplashAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watched_ && event->type() == QEvent::Show && !timClose->isActive()) {
        timSplash->stop();
        timClose->start();
    }
    return QDialog::eventFilter(watched, event);
}

void TlvSplashAbout::SetStatus(const QString& text) {
    lblStatus->setText(text);
}

void TlvSplashAbout::timSplashTimer() {
    if (timClose->isActive())
        return;
    // A start-up message box must not sit under the splash.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this) {
        close();
        return;
    }
    if ((watching_ && !watched_) || --checksLeft_ <= 0) {
        close();
        return;
    }
    if (watched_ && watched_->isVisible()) {
        timSplash->stop();
        timClose->start();
    }
}

void TlvSplashAbout::mousePressEvent(QMouseEvent* event) {
    // A click sends the splash away early, as users expect.
    if (mode_ == TMode::Splash) {
        close();
        return;
    }
    QDialog::mousePressEvent(event);
}

void TlvSplashAbout::lblLinksLinkActivated(const QString& link) {
    if (link != kHelpLink)
        return;
    if (HelpRequested)
        HelpRequested();
    else
        OpenHelpThroughShell();
}

void TlvSplashAbout::OpenHelpThroughShell() {
    const QString path = HelpPagePath();
    const QString text = "Cannot open the help page \"" + QDir::toNativeSeparators(path) + "\"";
    QPointer<TlvSplashAbout> window(this);
    const auto late = [window, text](int result) {
        if (window && result <= 32)
            ShowMessage(window, text, "Sorry...");
    };
    if (Shell().OpenDocument(path, late) > 32)
        return;
    ShowMessage(this, text, "Sorry...");
}
