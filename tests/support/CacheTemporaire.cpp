// Every test program gets a thumbnail cache of its own, empty and removed at exit, so
// that no test reads or writes the user's: XDG_CACHE_HOME is set before main runs, and
// the platform reads it at its first use.
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace {

struct CacheTemporaire {
    QTemporaryDir dossier;
    CacheTemporaire() { qputenv("XDG_CACHE_HOME", QFile::encodeName(dossier.path())); }
};

const CacheTemporaire cacheTemporaire;

} // namespace
