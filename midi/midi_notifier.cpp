#include "midi/midi_notifier.h"

#include <QCoreApplication>

QEvent::Type TMidiNotifyEvent::Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TMidiNotifier::TMidiNotifier(QObject* parent, THandler handler)
    : QObject(parent), handler_(std::move(handler)) {
    setObjectName("MidiNotifier");
    TMidiNotifyEvent::Type(); // registered here, not first on the platform's thread
}

void TMidiNotifier::Post(void* window, std::uint32_t message, std::uintptr_t lParam,
                         std::uint32_t session) {
    QCoreApplication::postEvent(static_cast<TMidiNotifier*>(window),
                                new TMidiNotifyEvent(message, lParam, session));
}

bool TMidiNotifier::event(QEvent* event) {
    if (event->type() != TMidiNotifyEvent::Type())
        return QObject::event(event);
    if (handler_)
        handler_(*static_cast<TMidiNotifyEvent*>(event));
    return true;
}
