// Tells the parent process when any widget is first painted, then quits the application
// (start-up benchmarks).
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <cstdio>

namespace galvia::bench {

// A paint that happens before the event loop runs (the window shown while it is being
// set up) is remembered: the caller then returns without entering the loop.
class PremierePeinture : public QObject {
public:
    bool peint = false;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->isWidgetType() && !peint) {
            peint = true;
            std::fputs("peint\n", stdout);
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }
};

} // namespace galvia::bench
