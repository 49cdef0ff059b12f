// The markers of a jpeg, walked without decoding anything: its segments in order (each
// with its marker, its offset and its payload), its frame (size, components and their
// sampling), its scans, and where the bytes a decoder can use end. Every reading of a
// jpeg's structure goes through here. The bytes come from memory or from a file through
// OctetsJpeg, so that a walk reads only what it looks at.
//
// The entropy-coded data after each scan header is skipped by looking for the next
// marker (0xff not followed by 0x00, a fill byte or a restart marker), and never further
// than the most such a scan can hold: a file whose data runs on without a marker (a
// sparse tail after a truncated picture, say) ends there for its decoder.
#pragma once

#include <QByteArrayView>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace galvia {

// Up to `taille` bytes of the stream from `position`: fewer at its end, none beyond. The
// view stays valid until the next call.
using OctetsJpeg = std::function<QByteArrayView(std::int64_t position, std::int64_t taille)>;

// The bytes of a stream held in memory (they must outlive the function).
OctetsJpeg octetsEnMemoire(QByteArrayView octets);

// One marker: its code (0xd8 for SOI, 0xda for SOS, 0xe2 for APP2...), the offset of
// its 0xff, and its payload after the two bytes of length (empty for the markers that
// have none: SOI, EOI, TEM). Valid until the walk goes on.
struct SegmentJpeg {
    int marqueur = 0;
    std::int64_t position = 0;
    QByteArrayView contenu;
};

struct ComposanteJpeg {
    int id = 0;
    int h = 1; // sampling factors
    int v = 1;
};

// A frame header (SOF0 to SOF15, but DHT, JPG and DAC).
struct TrameJpeg {
    int marqueur = 0;
    int largeur = 0;
    int hauteur = 0;
    bool progressif = false;
    std::vector<ComposanteJpeg> composantes;

    // The 8 x 8 blocks of a component, each direction rounded up to its sampling factor
    // as libjpeg allocates them; of all components together.
    double blocs(const ComposanteJpeg& c) const;
    double blocs() const;
};

class ParcoursJpeg {
public:
    explicit ParcoursJpeg(OctetsJpeg octets);

    // The next segment, the data of the scan before it skipped; none at the end: after
    // EOI, at the end of the bytes, where a scan's data runs beyond what it can hold, or
    // where a segment is cut short. The first is SOI; none when the bytes do not start
    // with one.
    std::optional<SegmentJpeg> suivant();

    // The latest frame header met, if any.
    const std::optional<TrameJpeg>& trame() const { return trame_; }
    // The blocks the latest scan header met covers (from the frame's components).
    double blocsBalayage() const { return blocsBalayage_; }
    // Once the walk has ended: the end of the bytes a decoder can use (just after EOI,
    // or where the walk stopped).
    std::int64_t fin() const { return position_; }

private:
    bool sauterDonnees(std::int64_t borne);

    OctetsJpeg octets_;
    std::int64_t position_ = 0;
    bool debut_ = true;
    bool donnees_ = false; // entropy-coded data follows
    bool fini_ = false;
    std::optional<TrameJpeg> trame_;
    double blocsBalayage_ = 0;
};

// A whole walk summed up (or up to the first scan header).
struct StructureJpeg {
    bool jpeg = false; // starts with SOI
    std::optional<TrameJpeg> trame;
    int balayages = 0;
    int composantesPremierBalayage = 0;
    double blocsBalayes = 0; // over all scans, the blocks each covers
    std::int64_t fin = 0;
};
// `chaqueSegment`, if given, sees every segment on the way (a profile read with it, say).
StructureJpeg structureJpeg(const OctetsJpeg& octets, bool jusquAuPremierBalayage = false,
                            const std::function<void(const SegmentJpeg&)>& chaqueSegment = {});

// The most scans, and the most work (the blocks all scans cover, in whole pictures),
// a jpeg may ask of its decoder. Encoders write about ten scans (libjpeg's progression),
// a few dozen when they optimise it, each covering one picture or less; a decoder goes
// over every block a scan covers, even when the scan holds no data, at about 10 ns a
// block: 100 pictures of a full screen take 50 ms.
inline constexpr int BalayagesMax = 300;
inline constexpr double PassesMax = 100;

// Whether a jpeg's decode stays within those bounds.
bool travailRaisonnable(const StructureJpeg& s);

} // namespace galvia
