#include "Plateforme.h"

#include <QCoreApplication>
#include <thread>

namespace galvia {

void Plateforme::attendre(const std::function<bool()>& fini) {
    while (!fini()) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        else
            std::this_thread::yield(); // no event loop to sleep in
    }
}

} // namespace galvia
