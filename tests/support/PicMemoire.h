// The resident memory of the test process, and its peak since a given moment, read from
// /proc/self/status (VmRSS, VmHWM); the peak is reset by writing 5 to /proc/self/clear_refs.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QtGlobal>

namespace galvia::test {

// A line of /proc/self/status, in bytes ("VmHWM:   1234 kB").
inline double ligneStatus(const char* nom) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) qFatal("no /proc/self/status");
    for (const QByteArray& ligne : f.readAll().split('\n'))
        if (ligne.startsWith(nom))
            return ligne.mid(qsizetype(qstrlen(nom))).trimmed().split(' ').value(0).toDouble() *
                   1024;
    qFatal("no %s in /proc/self/status", nom);
}

// The memory the process holds from now on is measured against what it holds now.
class PicMemoire {
public:
    PicMemoire() {
        QFile f(QStringLiteral("/proc/self/clear_refs"));
        if (!f.open(QIODevice::WriteOnly) || f.write("5") != 1)
            qFatal("cannot reset the peak memory");
        f.close();
        base_ = ligneStatus("VmRSS:");
    }
    // The most the process has held at once beyond what it held at the start, in bytes.
    double pic() const { return ligneStatus("VmHWM:") - base_; }

private:
    double base_ = 0;
};

// What the sanitizers add to the memory of the program: AddressSanitizer's shadow, an
// eighth of the memory used. Peaks are compared once multiplied by this.
inline constexpr double PartOmbre = 1.125;
// The memory a test process may take beside its pictures (threads, windows, tables).
inline constexpr double MargeProcessus = 64.0 * 1024 * 1024;

} // namespace galvia::test
