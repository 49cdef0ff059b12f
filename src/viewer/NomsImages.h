// Rules on picture file names and the building of the image list.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace galvia {

// The text after the first "." of a name; the whole name when it has none.
QString extensionDe(const QString& nom);

// True when the name's extension is a run of consecutive letters of
// "*jpg*jpeg*gif*bmp*wmf*", ignoring case (so "pg", "jpe", "" and "gif" pass, "png" not).
bool estAffichable(const QString& nom);

// Most names one list can hold.
inline constexpr int MaxImages = 32759;

// Builds `TabImages` by blocks of 10: it starts with indexes 0 to 10, grows by 10 each
// time ten names have been stored, and is trimmed to NbImages + 1 entries at the end.
class ConstructeurListe {
public:
    ConstructeurListe(QStringList& tab, std::int16_t& nbImages);
    // Records any file met; stores it when it is displayable.
    void proposer(const QString& nom);
    // Proposes every normal file of a folder, in the file system's order.
    void proposerDossier(const QString& dossier);
    // Stores a name without the extension test.
    void ajouter(const QString& nom);
    // Entries stored so far.
    int stockes() const { return nb_ + bloc_; }
    bool fichierVu() const { return fichierVu_; }
    bool tropDImages() const { return trop_; }
    // Adds the remainder to NbImages (called once the scan is over).
    void terminerCompte();
    // Trims the list to indexes 0 to NbImages.
    void ajusterTaille();

private:
    QStringList& tab_;
    std::int16_t& nb_;
    int bloc_ = 0;
    bool fichierVu_ = false;
    bool trop_ = false;
};

// Sorts entries premier to dernier of `tab` in place, ascending by the locale's
// comparison ignoring case: a quicksort on the middle entry (the middle index rounded
// half to even), with a two-index partition.
void TriRapide(QStringList& tab, int premier, int dernier);

} // namespace galvia
