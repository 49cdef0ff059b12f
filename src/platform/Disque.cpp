#include "Disque.h"

#include "Fichiers.h"

namespace galvia {

namespace {

class DisqueSysteme final : public Disque {
public:
    std::vector<Volume> volumes() override { return volumesMontes(); }
    void verifierDossier(const QString& dossier) override { galvia::verifierDossier(dossier); }
    QStringList sousDossiers(const QString& dossier) override {
        return galvia::sousDossiers(dossier);
    }
    QStringList fichiers(const QString& dossier) override {
        QStringList noms;
        ListageDossier l(dossier, ListageDossier::Normal);
        for (QString n = l.suivant(); !n.isEmpty(); n = l.suivant())
            noms.append(n);
        return noms;
    }
};

} // namespace

Disque& disqueSysteme() {
    static DisqueSysteme disque;
    return disque;
}

} // namespace galvia
