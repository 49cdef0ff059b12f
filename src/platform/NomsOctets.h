// File names as the file system gives them. A name is a string of bytes, most often
// UTF-8 but not always (old disks and archives hold Latin-1 names). Galvia keeps every
// name and path in a QString that carries the exact bytes:
//
//  - a valid UTF-8 sequence becomes its character, as usual;
//  - each byte of a sequence that is not valid UTF-8 (a stray byte, a truncated or
//    overlong sequence, an encoded surrogate, a value above U+10FFFF) becomes the lone
//    low surrogate U+DC80..U+DCFF whose low byte is that byte.
//
// Going back maps those code units to their byte and the rest to UTF-8, so every name
// comes back byte for byte and two different names never reach the same file. Joining
// such names with "/" keeps the property, since "/" never lies inside a sequence.
// The carried text is never shown as is: `texteVisible` gives what the user reads.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace galvia {

// The name carrying the bytes `octets` (see above).
QString nomDepuisOctets(QByteArrayView octets);

// The bytes a name carries: its inverse. A code unit U+DC80..U+DCFF gives its byte; a
// character gives its UTF-8; any other unpaired surrogate, which no name holds, gives
// the UTF-8 of U+FFFD.
QByteArray octetsDuNom(const QString& nom);

// The bytes of a path for a system call; throws an Erreur 52 when the path holds a NUL,
// which no file name can hold.
QByteArray cheminSysteme(const QString& chemin);

// The text shown for a name: each carried byte that is not UTF-8 (and any unpaired
// surrogate) reads as the replacement mark U+FFFD; any other text is unchanged. It is
// also the name a typed text gives once written as UTF-8.
QString texteVisible(const QString& nom);

} // namespace galvia
