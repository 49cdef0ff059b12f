// What a benchmark of Galvia starts with: the offscreen platform, the application object
// (`App`: QApplication for the real window, QGuiApplication for decodes alone), the
// decode workers living inside its life, and the decoders ready.
#pragma once

#include "platform/decodage/Images.h"
#include "platform/decodage/PoolDecodage.h"

#include <QByteArray>

namespace galvia::bench {

template <class App> class ApplicationBanc {
public:
    ApplicationBanc(int& argc, char** argv)
        : app((qputenv("QT_QPA_PLATFORM", "offscreen"), argc), argv) {
        preparerDecodeurs();
    }

    App app;

private:
    PoolCommun decodeurs_; // ends before the application object
};

} // namespace galvia::bench
