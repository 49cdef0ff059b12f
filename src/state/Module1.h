// The program-wide variables shared by Galvia's two windows: the image list, the
// current position, the viewer's modes, and the multi-folder selection the list was
// built from.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace galvia {

// The program's true and false: its flags are plain booleans.
inline constexpr bool Vrai = true;
inline constexpr bool Faux = false;

// Most folders of one multi-folder selection.
inline constexpr int MaxDossiers = 10;

// The main window's interface modes, as `Environ` numbers them. The multi-folder
// selection shows the browsing panel: `ModeVue` is then browsing.
enum class Mode : std::int16_t {
    Navigation = 0,    // drive, folder and file lists, no picture
    TailleReelle = 1,  // the picture at natural size, with scroll bars
    Ajustee = 2,       // the picture fitted to the window
    ChoixDossiers = 3, // the browsing panel during a multi-folder selection
};

struct Module1 {
    // The image list: bare names at indexes 1 to NbImages; index 0 is never used.
    QStringList TabImages;
    std::int16_t NumImage = 0;
    std::int16_t NbImages = 0;
    // 1 when the list comes from several folders, so that each entry's folder is looked up.
    std::int16_t MultiDossier = 0;
    // Full path of the current image file.
    QString NomComplet;
    // Folder of the current image, ending with "/".
    QString Chemin;
    // Browsing, natural size with scroll bars, or fitted (never the folder choice): written
    // by the viewer's state (Visionneuse::changerMode) only.
    Mode ModeVue = Mode::Navigation;
    // Slideshow running flag.
    bool SensDefile = false;
    // Slideshow step: +1, -1, or 0 until a slideshow was first started.
    int Vitesse = 0;

    // Multi-folder selection: folders 1 to NbDossiers in selection order, and after a
    // build the running totals of entries taken from folders 1 to k.
    std::array<QString, MaxDossiers + 1> ListeDossiers{};
    std::int16_t NbDossiers = 0;
    std::array<std::int16_t, MaxDossiers + 1> FinDossier{};

    // Folder (ending with "/") of entry n of a multi-folder list: folder k for the
    // largest k whose previous running total is below n.
    QString dossierDeEntree(int n) const;

    // Full path of list entry n (1-based): in its own folder for a multi-folder list,
    // otherwise (or when no selected folder holds it) in `Chemin`.
    QString fichierDeEntree(int n) const;
};

} // namespace galvia
