// Construction of the workbench window: layout, menus and popups.
#include "explorer/midi_explorer.h"

#include "controls/fixed_font.h"
#include "controls/lv_splash_about.h"
#include "controls/seams/dialog_service.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "explorer/hex_text.h"
#include "explorer/log_model.h"
#include "explorer/msg_buf_memo.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kMessagePanelWidth = 700;
constexpr int kModePanelWidth = 50;

QAction* NewItem(QWidget* menu, const QString& caption, const QString& name) {
    auto* item = new QAction(caption, menu);
    item->setObjectName(name);
    menu->addAction(item);
    return item;
}

} // namespace

TfrmMIDIExplorer::TfrmMIDIExplorer(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmMIDIExplorer");
    resize(980, 660);
    setAcceptDrops(true);
    CreateControls();
    CreateMenus();
    CreateBufferPopup();
    CreateLogPopup();
    // Every key of the window is seen here first.
    qApp->installEventFilter(this);
}

TfrmMIDIExplorer::~TfrmMIDIExplorer() {
    qApp->removeEventFilter(this);
    FormDestroy();
}

void TfrmMIDIExplorer::CreateControls() {
    splVertical = new QSplitter(Qt::Horizontal, this);
    splVertical->setObjectName("splVertical");
    splVertical->setChildrenCollapsible(false);
    setCentralWidget(splVertical);

    memMsgBuf = new TMsgBufMemo(splVertical);
    memMsgBuf->setObjectName("memMsgBuf");
    memMsgBuf->setFont(FixedPitchFont());
    memMsgBuf->setToolTip("Dbl-click to send to MIDI out");
    memMsgBuf->setMinimumWidth(50);
    memMsgBuf->KeyDown = [this](QKeyEvent& e) { return memMsgBufKeyDown(e); };
    memMsgBuf->KeyPress = [this](QChar c) { memMsgBufKeyPress(c); };
    memMsgBuf->Entered = [this] { memMsgBufEnter(); };
    memMsgBuf->DoubleClicked = [this] { miSendClick(); };
    memMsgBuf->CopyCommand = [this] { memMsgBuf->copy(); };
    memMsgBuf->CutCommand = [this] { memMsgBuf->cut(); };
    memMsgBuf->PasteCommand = [this] { pmiPasteClick(); };
    memMsgBuf->SelectAllCommand = [this] { pmiSelectAllClick(); };
    memMsgBuf->UndoCommand = [this] { memMsgBuf->undo(); };
    memMsgBuf->AcceptsText = [](const QString& text) { return TextIsHex(text); };
    memMsgBuf->ContextMenu = [this](const QPoint& at) {
        UpdateBufferMenu();
        popMsgBuf->exec(at);
    };

    pgcTab = new QTabWidget(splVertical);
    pgcTab->setObjectName("pgcTab");
    tsExplorer = new QWidget;
    tsExplorer->setObjectName("tsExplorer");
    pgcTab->addTab(tsExplorer, "File Explorer");
    tsMonitor = new QWidget;
    tsMonitor->setObjectName("tsMonitor");
    pgcTab->addTab(tsMonitor, "MIDI Monitor");
    connect(pgcTab, &QTabWidget::currentChanged, this, [this](int i) { pgcTabChange(i); });

    auto* monitorLayout = new QVBoxLayout(tsMonitor);
    monitorLayout->setContentsMargins(0, 0, 0, 0);
    lbxLog = new QListView(tsMonitor);
    lbxLog->setObjectName("lbxLog");
    logModel_ = new TLogModel(this);
    lbxLog->setModel(logModel_);
    lbxLog->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxLog->setUniformItemSizes(true);
    // New lines make themselves current; following them is done once per flush.
    lbxLog->setAutoScroll(false);
    lbxLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbxLog->setFont(FixedPitchFont(9));
    lbxLog->setContextMenuPolicy(Qt::CustomContextMenu);
    monitorLayout->addWidget(lbxLog);
    logRefresh_ = new QTimer(this);
    logRefresh_->setSingleShot(true);
    logRefresh_->setInterval(kLogRefreshMs);
    connect(logRefresh_, &QTimer::timeout, this, [this] { FlushLog(); });
    connect(lbxLog, &QListView::doubleClicked, this, [this] { lbxLogDblClick(); });
    connect(lbxLog, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        UpdateLogMenu();
        popInLog->exec(lbxLog->viewport()->mapToGlobal(at));
    });

    CreateFilePane();

    splVertical->setStretchFactor(0, 1);
    splVertical->setStretchFactor(1, 0);
    connect(splVertical, &QSplitter::splitterMoved, this, [this] { FormResize(); });

    stbStatBar = new QStatusBar(this);
    stbStatBar->setObjectName("stbStatBar");
    stbStatBar->setSizeGripEnabled(true);
    StatusPanel0 = new QLabel(stbStatBar);
    StatusPanel0->setObjectName("stbStatBarPanel0");
    // Up to its share of the width, less when a run's progress bar needs room; never
    // so wide that the window has to grow (long texts are cut, not widening it).
    StatusPanel0->setMinimumWidth(1);
    StatusPanel0->setMaximumWidth(kMessagePanelWidth);
    StatusPanel1 = new QLabel(stbStatBar);
    StatusPanel1->setObjectName("stbStatBarPanel1");
    StatusPanel1->setMinimumWidth(kModePanelWidth);
    stbStatBar->addWidget(StatusPanel0, 1);
    stbStatBar->addWidget(StatusPanel1);
    setStatusBar(stbStatBar);
}

void TfrmMIDIExplorer::CreateFilePane() {
    auto* layout = new QVBoxLayout(tsExplorer);
    layout->setContentsMargins(0, 0, 0, 0);
    FilePane = new TFileExplorerPane(tsExplorer);
    FilePane->setObjectName("FileExplorerPane");
    layout->addWidget(FilePane);
    FilePane->LoadFileToBuffer = [this](const QString& path) { LoadFileToBuffer(path); };
    FilePane->BufferSize = kMessageBufferSize;
    FilePane->OpenBufferInEditor = [this] { OpenBufferInEditor(); };
    FilePane->SendBuffer = [this] { miSendClick(); };
    FilePane->ShowStatus = [this](const QString& text) { ShowStatus(text); };
    FilePane->LoadFolderToBuffer = [this](const QString& folder) { LoadFolderToBuffer(folder); };
    FilePane->FileDeleted = [this](const QString& path) {
        if (!LoadedFileName.isEmpty() &&
            QFileInfo(path).absoluteFilePath() == QFileInfo(LoadedFileName).absoluteFilePath())
            ForgetLoadedFile();
    };
    FilePane->FileDblClickActionChanged = [this](int action) {
        WriteDblClickAction("DBL_CLICK_FILE_ACTION", action);
    };
}

void TfrmMIDIExplorer::CreateMenus() {
    miFile = menuBar()->addMenu("&File");
    miFile->setObjectName("miFile");
    miSaveAs = NewItem(miFile, "Save message buffer &as...", "miSaveAs");
    connect(miSaveAs, &QAction::triggered, this, [this] {
        if (!BufferTextEmpty())
            SaveMessageBuffer();
    });
    miClearOut = NewItem(miFile, "&Clear message buffer", "miClearOut");
    connect(miClearOut, &QAction::triggered, this, [this] { miClearOutClick(); });
    miFile->addSeparator();
    miExit = NewItem(miFile, "E&xit", "miExit");
    connect(miExit, &QAction::triggered, this, &QWidget::close);

    miMIDIIn = menuBar()->addMenu("MIDI &In");
    miMIDIIn->setObjectName("miMIDIIn");
    miClearIn = NewItem(miMIDIIn, "&Clear input log", "miClearIn");
    connect(miClearIn, &QAction::triggered, this, [this] { miClearInClick(); });
    miMIDIIn->addSeparator();
    inputGroup_ = new QActionGroup(this);
    inputGroup_->setExclusive(true);
    connect(miMIDIIn, &QMenu::aboutToShow, this, [this] { RefreshDeviceMenu(true); });

    miMIDIOut = menuBar()->addMenu("MIDI &Out");
    miMIDIOut->setObjectName("miMIDIOut");
    miSend = NewItem(miMIDIOut, "&Send buffer to MIDI out (F9)", "miSend");
    connect(miSend, &QAction::triggered, this, [this] { miSendClick(); });
    miTransmitChannel = miMIDIOut->addMenu("&Transmit on channel");
    miTransmitChannel->setObjectName("miTransmitChannel");
    channelGroup_ = new QActionGroup(this);
    channelGroup_->setExclusive(true);
    for (int tag = 0; tag < 16; ++tag) {
        QAction* item = NewItem(miTransmitChannel, QString::number(tag + 1),
                                QString("miChannel%1").arg(tag + 1));
        item->setCheckable(true);
        item->setData(tag);
        channelGroup_->addAction(item);
        connect(item, &QAction::triggered, this, [this, tag] { miChannelClick(tag); });
        miChannel[static_cast<std::size_t>(tag)] = item;
    }
    miChannel[0]->setChecked(true);
    miMIDIOut->addSeparator();
    outputGroup_ = new QActionGroup(this);
    outputGroup_->setExclusive(true);
    connect(miMIDIOut, &QMenu::aboutToShow, this, [this] { RefreshDeviceMenu(false); });

    miHelp = menuBar()->addMenu("&Help");
    miHelp->setObjectName("miHelp");
    miContents = NewItem(miHelp, "&Contents", "miContents");
    connect(miContents, &QAction::triggered, this, [this] { ShowHelpContents(); });
    miAbout = NewItem(miHelp, "&About", "miAbout");
    miAbout->setToolTip("Hey... click me!");
    miAbout->setStatusTip("Hey... click me!");
    connect(miAbout, &QAction::triggered, this, [this] {
        TlvSplashAbout about(TlvSplashAbout::TMode::About, this);
        about.HelpRequested = [this] { ShowHelpContents(); };
        Dialogs().ExecModal(about);
    });
}

void TfrmMIDIExplorer::CreateBufferPopup() {
    popMsgBuf = new QMenu(this);
    popMsgBuf->setObjectName("popMsgBuf");
    pmiUndo = NewItem(popMsgBuf, "&Undo", "pmiUndo");
    connect(pmiUndo, &QAction::triggered, memMsgBuf, &QPlainTextEdit::undo);
    popMsgBuf->addSeparator();
    pmiCut = NewItem(popMsgBuf, "Cu&t", "pmiCut");
    connect(pmiCut, &QAction::triggered, memMsgBuf, &QPlainTextEdit::cut);
    pmiCopy = NewItem(popMsgBuf, "&Copy", "pmiCopy");
    connect(pmiCopy, &QAction::triggered, memMsgBuf, &QPlainTextEdit::copy);
    pmiPaste = NewItem(popMsgBuf, "&Paste", "pmiPaste");
    connect(pmiPaste, &QAction::triggered, this, [this] { pmiPasteClick(); });
    popMsgBuf->addSeparator();
    pmiSelectAll = NewItem(popMsgBuf, "Select &All", "pmiSelectAll");
    connect(pmiSelectAll, &QAction::triggered, this, [this] { pmiSelectAllClick(); });
    pmiBufClear = NewItem(popMsgBuf, "&Clear", "pmiBufClear");
    connect(pmiBufClear, &QAction::triggered, this, [this] { pmiBufClearClick(); });
    popMsgBuf->addSeparator();
    pmiSendtoMIDIOut = NewItem(popMsgBuf, "Send to MIDI &Out", "pmiSendtoMIDIOut");
    connect(pmiSendtoMIDIOut, &QAction::triggered, this, [this] { miSendClick(); });
    pmiSave = NewItem(popMsgBuf, "&Save as...", "pmiSave");
    connect(pmiSave, &QAction::triggered, this, [this] { SaveMessageBuffer(); });
}

void TfrmMIDIExplorer::CreateLogPopup() {
    popInLog = new QMenu(this);
    popInLog->setObjectName("popInLog");
    pmiDelete = NewItem(popInLog, "&Delete selection", "pmiDelete");
    connect(pmiDelete, &QAction::triggered, this, [this] { pmiDeleteClick(); });
    pmiClearinputLog = NewItem(popInLog, "&Clear input Log", "pmiClearinputLog");
    connect(pmiClearinputLog, &QAction::triggered, this, [this] { miClearInClick(); });
    pmiCopySelectedText = NewItem(popInLog, "Copy selected text", "pmiCopySelectedText");
    connect(pmiCopySelectedText, &QAction::triggered, this, [this] { pmiCopySelectedTextClick(); });
    pmiSetDblClickLogOpt = popInLog->addMenu("Set double-click action");
    pmiSetDblClickLogOpt->setObjectName("pmiSetDblClickLogOpt");
    logActionGroup_ = new QActionGroup(this);
    logActionGroup_->setExclusive(true);
    const char* captions[] = {"&Load event into buffer", "Open in Editor", "Send to MIDI Out"};
    const char* names[] = {"pmiSetLogLoadEvent", "pmiSetLogEdit", "pmiSetLogSend"};
    QAction* items[3];
    for (int action = 0; action < 3; ++action) {
        items[action] = NewItem(pmiSetDblClickLogOpt, captions[action], names[action]);
        items[action]->setCheckable(true);
        logActionGroup_->addAction(items[action]);
        connect(items[action], &QAction::triggered, this,
                [this, action] { SetLogDblClickAction(action); });
    }
    pmiSetLogLoadEvent = items[0];
    pmiSetLogEdit = items[1];
    pmiSetLogSend = items[2];
    pmiSetLogLoadEvent->setChecked(true);
}

void TfrmMIDIExplorer::AddTopLevelMenu(QMenu* menu) {
    menuBar()->removeAction(miHelp->menuAction());
    menuBar()->addMenu(menu);
    menuBar()->addMenu(miHelp);
}

void TfrmMIDIExplorer::AppendBufferPopupItem(QAction* item) {
    popMsgBuf->addAction(item);
}
