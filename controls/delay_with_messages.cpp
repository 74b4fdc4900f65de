#include "controls/delay_with_messages.h"

#include "controls/seams/tick_source.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

void DelayWithMessages(std::uint32_t ms) {
    const std::uint32_t start = tick::GetTickCount();
    // The wake-up timer bounds each wait for events, so the clock is looked at
    // every millisecond or so without spinning the CPU.
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(1);
    // Unsigned difference survives the counter wrapping around.
    while (tick::GetTickCount() - start < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
}
