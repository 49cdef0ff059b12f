// Quits the application once any widget is first painted (start-up benchmarks).
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace galvia::bench {

class PremierePeinture : public QObject {
protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->isWidgetType())
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};

} // namespace galvia::bench
