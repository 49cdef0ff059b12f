// Renaming a file inside its folder without ever replacing another one, and the
// read-only attribute of a file, mapped onto the owner's write permission.
#pragma once

#include <QString>

namespace galvia {

// Clears the read-only attribute of the file `nom` of `dossier` (read-only: the
// owner write bit is clear): adds the owner write bit and changes no other bit.
// Throws an Erreur (53 missing, 70 refused...).
void oterLectureSeule(const QString& dossier, const QString& nom);

// Renames `ancien` to `nouveau`, both names resolved in `dossier`, never replacing an
// existing file, even one created by another program a moment before. A name holding
// "/" or a NUL, empty, "." or "..", or too long for the file system gives error 52; an
// existing new name 58, a missing old file 53, a folder that cannot be written 70. A
// new name differing from the old one in letter case only is an ordinary rename.
void renommerSansRemplacer(const QString& dossier, const QString& ancien, const QString& nouveau);

} // namespace galvia
