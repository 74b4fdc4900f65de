#pragma once
// The message buffer's editor: a plain text edit whose keystrokes, pastes,
// focus and double-clicks are decided by its window through the hooks below.
#include <QPlainTextEdit>
#include <functional>

class TMsgBufMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMsgBufMemo(QWidget* parent = nullptr);

    // Every key first; true = consumed.
    std::function<bool(QKeyEvent& event)> KeyDown;
    // A printable character about to be entered; the hook enters it or not.
    std::function<void(QChar ch)> KeyPress;
    // The clipboard shortcuts, routed to the window's commands.
    std::function<void()> CopyCommand, CutCommand, PasteCommand, SelectAllCommand, UndoCommand;
    std::function<void()> Entered;
    std::function<void()> DoubleClicked;
    std::function<void(const QPoint& globalPos)> ContextMenu;
    // Whether dropped or pasted text may go in.
    std::function<bool(const QString& text)> AcceptsText;

    // Caret position counted from the start of the whole text.
    int CaretPosition() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
