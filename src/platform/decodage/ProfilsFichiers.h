// The colour space a picture file declares, read from its first bytes: the ICC profile
// of a jpeg (its APP2 "ICC_PROFILE" segments, or the EXIF mark cameras write for Adobe RGB)
// or of a version 5 bmp. Empty bytes mean sRGB (see Couleurs.h).
#pragma once

#include <QByteArray>
#include <map>

class QIODevice;

namespace galvia {

struct SegmentJpeg;

// Largest profile read from a file or from the screen.
inline constexpr qsizetype ProfilMaximal = qsizetype{4} << 20;

// A jpeg's profile, gathered from the segments of the walk of its markers (ParcoursJpeg)
// up to its compressed data: its APP2 "ICC_PROFILE" segments (each with its sequence
// number and the number of segments) joined in sequence order; Adobe RGB for an EXIF R03
// mark without profile (in the first EXIF segment). A profile missing a segment, or too
// large, is none.
class ProfilJpeg {
public:
    // One segment of the walk, in order; those after the first scan header are ignored.
    void segment(const SegmentJpeg& s);
    QByteArray profil() const;

private:
    std::map<int, QByteArray> morceaux_;
    int nombre_ = 0;
    qint64 total_ = 0;
    bool tropGrand_ = false, adobe_ = false, exifLu_ = false, donnees_ = false;
};

// The profile a picture file declares, from its first bytes (a jpeg's segments up to its
// compressed data, a bmp's header and profile): a jpeg's as ProfilJpeg reads it, a
// version 5 bmp's embedded profile. Empty for any other file (sRGB).
QByteArray profilFichier(const QByteArray& octets);

// The same, read from a picture file open on `fichier` (its start, whatever its current
// position, which is left as it was). Reads no more than the profile needs.
QByteArray profilFichier(QIODevice& fichier);

} // namespace galvia
