#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace tessel {

// Ends that are not the user's: SIGTERM and SIGHUP (a logout, a system shutdown, a closed
// terminal) and the loss of the display connection, after which the toolkit exits the process
// from inside its event loop. Each runs `save` first, so that unsaved work is autosaved.
//
// The signals are caught and passed to the event loop through a socket (a handler may do almost
// nothing itself); the loop then saves and quits with 128 + the signal's number. The display's
// loss is caught at exit: `save` runs from an exit handler unless disarm() was called, as a clean
// end of the program does first.
class ExitSignals : public QObject {
    Q_OBJECT

public:
    ExitSignals(std::function<void()> save, QObject* parent);
    ~ExitSignals() override;

    // The program ends as it should from here on: exit saves nothing.
    void disarm();

private:
    void received();

    std::function<void()> m_save;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tessel
