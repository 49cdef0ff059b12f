// Renaming a file inside its folder without ever replacing another one, and the
// read-only attribute of a file, mapped onto the owner's write permission.
#pragma once

#include <QString>

namespace galvia {

// Clears the read-only attribute of the file `nom` of `dossier` (read-only: the
// owner write bit is clear): adds the owner write bit and changes no other bit. An
// entry that is a symbolic link is left alone, and so is its target. Names carry the
// file system's bytes (NomsOctets.h). Throws an Erreur (53 missing, 70 refused...).
void oterLectureSeule(const QString& dossier, const QString& nom);

// Renames `ancien` to `nouveau`, both names resolved in `dossier`, never replacing an
// existing file, even one created by another program a moment before. A name holding
// "/" or a NUL, empty, "." or "..", or too long for the file system gives error 52; an
// existing new name 58, a missing old file 53, a folder that cannot be written 70. A
// new name differing from the old one in letter case only is an ordinary rename. Where
// the file system offers neither an exclusive rename nor hard links, the new name is
// checked free just before a plain rename.
void renommerSansRemplacer(const QString& dossier, const QString& ancien, const QString& nouveau);

// The system calls the rename goes through; a test replaces them to play a file
// system that lacks some (each returns 0, or -1 with errno set).
struct AppelsRenommage {
    // renameat2 with RENAME_NOREPLACE.
    int (*renommerExclusif)(int, const char*, int, const char*);
    // linkat.
    int (*lier)(int, const char*, int, const char*);
    // renameat.
    int (*renommer)(int, const char*, int, const char*);
};
AppelsRenommage& appelsRenommage();

} // namespace galvia
