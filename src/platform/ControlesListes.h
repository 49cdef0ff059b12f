// The list controls of the browsing panel: drives, folders and files.
#pragma once

#include "Controle.h"
#include "Disque.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace galvia {

// The drive list: the volumes, and the one chosen.
class ListeLecteurs : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    ListeLecteurs(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
    const std::vector<Volume>& volumes() const { return volumes_; }
    void setVolumes(std::vector<Volume> v);
    const QString& drive() const { return drive_; }
    // Choosing another drive raises the change event.
    void setDrive(const QString& racine);
    std::function<void()> surChange;

private:
    std::vector<Volume> volumes_;
    QString drive_;
};

// The folder list: the ancestors of its path from the root down, then the path's
// visible subfolders; List(i) is the full path of entry i.
class ListeDossiers : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    ListeDossiers(Fenetre& f, QString nom, Disque& disque, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur)
        , disque_(disque) {}
    const QString& path() const { return path_; }
    // Moves the list to a folder (raises the change event when it differs); throws an
    // Erreur when the folder cannot be listed.
    void setPath(const QString& chemin);
    int listCount() const { return static_cast<int>(entrees_.size()); }
    QString list(int i) const;
    // Depth of entry i in the tree (0 for the root), for display.
    int profondeur(int i) const;
    // Number of entries that are ancestors of the path (the path's own entry included).
    int nbAncetres() const { return nbAncetres_; }
    int listIndex() const { return listIndex_; }
    // A single click: selects entry i and raises the click event.
    void selectionner(int i);
    // A double click or Enter: opens entry i.
    void ouvrir(int i);
    std::function<void()> surChange;
    std::function<void(int code, int shift)> surTouche;

private:
    Disque& disque_;
    QString path_;
    QStringList entrees_;
    int nbAncetres_ = 0;
    int listIndex_ = -1;
};

// The file list: the normal files of its path, sorted by name, several selectable.
class ListeFichiers : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    ListeFichiers(Fenetre& f, QString nom, Disque& disque, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur)
        , disque_(disque) {}
    const QString& path() const { return path_; }
    void setPath(const QString& chemin);
    void refresh();
    int listCount() const { return static_cast<int>(noms_.size()); }
    QString list(int i) const;
    bool selected(int i) const;
    void setSelected(int i, bool s);
    // The entry last double-clicked (or activated by Enter).
    const QString& fileName() const { return fileName_; }
    // A double click or Enter on entry i.
    void activer(int i);

private:
    Disque& disque_;
    QString path_;
    QStringList noms_;
    std::vector<bool> selection_;
    QString fileName_;
};

} // namespace galvia
