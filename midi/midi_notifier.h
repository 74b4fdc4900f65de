#pragma once
// The hidden window of a port: a QObject on the window thread that receives
// the notifications the MIDI callback posts from the platform's thread.
#include <QEvent>
#include <QObject>

#include <cstdint>
#include <functional>

class TMidiNotifyEvent : public QEvent {
public:
    TMidiNotifyEvent(std::uint32_t message, std::uintptr_t lParam, std::uint32_t session)
        : QEvent(Type()), Message(message), LParam(lParam), Session(session) {}
    static QEvent::Type Type();

    const std::uint32_t Message;
    const std::uintptr_t LParam;
    const std::uint32_t Session;
};

class TMidiNotifier : public QObject {
    Q_OBJECT
public:
    using THandler = std::function<void(const TMidiNotifyEvent&)>;
    TMidiNotifier(QObject* parent, THandler handler);

    // Matches TMidiPostFn; callable from any thread.
    static void Post(void* window, std::uint32_t message, std::uintptr_t lParam,
                     std::uint32_t session);

protected:
    bool event(QEvent* event) override;

private:
    THandler handler_;
};
