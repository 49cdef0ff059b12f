// What the Page Down benchmarks time: a plain decode of a file (their reference), and
// Page Down on the real window up to the new picture painted.
#pragma once

#include "support/FenetreReelle.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImageReader>
#include <cstdlib>

namespace galvia::bench {

// A plain decode of `nom` as any program would make it, in milliseconds.
inline double decoder(const QString& nom) {
    QElapsedTimer chrono;
    chrono.start();
    QImageReader r(nom);
    r.setAutoTransform(true);
    if (r.read().isNull()) std::abort();
    return static_cast<double>(chrono.nsecsElapsed()) / 1e6;
}

// Page Down, then the picture painted; the time it took, in milliseconds.
inline double pageSuivante(test::FenetreReelle& f) {
    QElapsedTimer chrono;
    chrono.start();
    f.touche(Qt::Key_PageDown);
    QCoreApplication::processEvents(); // paint the new picture
    return static_cast<double>(chrono.nsecsElapsed()) / 1e6;
}

} // namespace galvia::bench
