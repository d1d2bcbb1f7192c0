#include "kirv/logger/ui/logger_windows.h"

#include "kirv/widgets/dialogs.h"
#include "kirv/logger/logger_exchange.h"
#include "kirv/logger/logger_memory.h"
#include "kirv/logger/logger_state.h"
#include "kirv/logger/ui/data_list.h"
#include "kirv/logger/ui/memory.h"
#include "kirv/base/clock.h"
#include "kirv/meter/delay.h"
#include "kirv/meter/exchange.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/panel/ui/panel_timers.h"

#include <QPointer>

namespace kirv {

namespace {

const QString TryAgain = QStringLiteral("Error! Try again!");

void tell(Panel& panel, const QString& text, QMessageBox::Icon icon, const QString& detail = {})
{
    showMessage(&panel, text, icon, {}, detail);
}

} // namespace

void runLoggerDownload(Panel& panel)
{
    LoggerState& state = loggerState();
    state.LoggerOpen = true;
    PanelTimersOff timers(&panel);
    SerialLink& link = panel.link();

    const logger::MemoryQuery query = logger::queryMemory(link, &panel);
    switch (query.outcome) {
    case logger::MemoryQuery::Ready: break;
    case logger::MemoryQuery::Empty:
        state.LoggerOpen = false;
        tell(panel, QStringLiteral("No Data in Memory"), QMessageBox::Information);
        return;
    case logger::MemoryQuery::BadPointer:
        state.LoggerOpen = false;
        tell(panel, TryAgain, QMessageBox::Critical);
        return;
    case logger::MemoryQuery::NoReply:
        state.LoggerOpen = false;
        tell(panel, TryAgain, QMessageBox::Critical,
             QStringLiteral("The meter did not report its memory. Check that it is switched on, "
                            "in its memory state and connected."));
        return;
    case logger::MemoryQuery::Cancelled: state.LoggerOpen = false; return;
    }

    // A new download replaces the sets of the last one; nothing may still show them.
    state.LoggerSets = {};
    state.Dump.clear();
    state.DumpLength = 0;
    QPointer<Memory> memory = new Memory(panel);
    QObject::connect(memory, &Memory::setChosen, memory,
                     [&panel](int s) { openLoggerSet(panel, s); });
    memory->showMemory(logger::sizeText(query.sizeUnits),
                       logger::freeText(query.sizeUnits, query.pointer));
    memory->show();

    const qint64 length = logger::dumpLength(query.pointer);
    const logger::DumpResult dump = logger::dumpMemory(
        link, length,
        [&memory, length](qint64 received) {
            if (memory)
                memory->showProgress(received, length);
        },
        [&memory] { return !memory || memory->isClosing(); }, &panel);
    drain(link);

    if (dump.outcome != logger::DumpResult::Complete) {
        if (memory)
            memory->close();
        state.LoggerOpen = false;
        if (waitsCancelled())
            return; // the program is quitting: nobody to tell
        const QString detail =
            dump.outcome == logger::DumpResult::Failed
                ? QStringLiteral("The port did not take the download command: %1").arg(link.lastError())
            : dump.outcome == logger::DumpResult::Stalled
                ? QStringLiteral("The download stopped after %1 of %2 bytes: the meter sent "
                                 "nothing more for %3 seconds.")
                      .arg(dump.bytes.size())
                      .arg(length)
                      .arg(logger::DumpStallLimit)
                : QStringLiteral("The Data Logger window was closed before the download "
                                 "completed (%1 of %2 bytes).")
                      .arg(std::min<qint64>(dump.bytes.size(), length))
                      .arg(length);
        tell(panel, TryAgain, QMessageBox::Critical, detail);
        return;
    }
    state.LoggerSets = logger::walkSets(dump.bytes, length);
    state.Dump = dump.bytes;
    state.DumpLength = length;
    if (memory)
        memory->showSets(state.LoggerSets);
}

void openLoggerSet(Panel& panel, int s)
{
    LoggerState& state = loggerState();
    const QByteArrayView set = state.LoggerSets.set(s);
    if (set.isEmpty())
        return;
    DataList* old = DataList::current();
    if (old && old->printing())
        return; // its print ends first; the list must not change under it
    PanelTimersOff timers(&panel);
    if (old) {
        old->close();
        delete old;
    }
    state.SetInterval = state.LoggerSets.interval(s);
    auto* list = new DataList(panel);
    list->show();
    const int year = now().date().year();
    list->setOriginal({state.Dump, state.DumpLength, s, year});
    list->showSet(set, state.SetInterval, year, s);
}

void eraseLoggerMemory(Panel& panel)
{
    MessageSpec request;
    request.text = QStringLiteral("All saved data in memory will be deleted.");
    request.title = QStringLiteral("Warning");
    request.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    request.defaultButton = QMessageBox::Cancel; // Enter must not erase the meter's memory
    const QMessageBox::StandardButton answer = Dialogs::instance().message(&panel, request);
    if (Memory* memory = Memory::current())
        memory->close();
    if (answer != QMessageBox::Ok)
        return;
    PanelTimersOff timers(&panel);
    if (!logger::eraseMemory(panel.link(), &panel))
        tell(panel, TryAgain, QMessageBox::Critical,
             QStringLiteral("The port did not take the erase command: the memory was not erased."));
}

} // namespace kirv
