#include "explorer/msg_buf_memo.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>

TMsgBufMemo::TMsgBufMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

int TMsgBufMemo::CaretPosition() const {
    return textCursor().selectionStart();
}

void TMsgBufMemo::keyPressEvent(QKeyEvent* event) {
    if (KeyDown && KeyDown(*event))
        return;
    const auto run = [&](const std::function<void()>& command) {
        if (command)
            command();
        event->accept();
    };
    if (event->matches(QKeySequence::Copy))
        return run(CopyCommand);
    if (event->matches(QKeySequence::Cut))
        return run(CutCommand);
    if (event->matches(QKeySequence::Paste))
        return run(PasteCommand);
    if (event->matches(QKeySequence::SelectAll))
        return run(SelectAllCommand);
    if (event->matches(QKeySequence::Undo))
        return run(UndoCommand);
    if (event->key() == Qt::Key_Backspace) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    if (text.isEmpty()) {
        // Movement, Delete and the like: no character is entered.
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // A character: Enter, Tab and other control characters are refused like
    // anything else that is not a hex digit or a blank.
    event->accept();
    if (KeyPress)
        for (const QChar c : text)
            KeyPress(c);
}

void TMsgBufMemo::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    if (Entered)
        Entered();
}

void TMsgBufMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (DoubleClicked)
        DoubleClicked();
}

void TMsgBufMemo::contextMenuEvent(QContextMenuEvent* event) {
    if (ContextMenu)
        ContextMenu(event->globalPos());
    else
        QPlainTextEdit::contextMenuEvent(event);
}

bool TMsgBufMemo::canInsertFromMimeData(const QMimeData* source) const {
    if (!source->hasText() || source->hasUrls())
        return false;
    return !AcceptsText || AcceptsText(source->text());
}

void TMsgBufMemo::insertFromMimeData(const QMimeData* source) {
    if (canInsertFromMimeData(source))
        QPlainTextEdit::insertFromMimeData(source);
}
