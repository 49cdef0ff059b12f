// The text chunks of PNG files, where the desktop's thumbnails keep their keys: read
// whatever chunk kind a writer chose, and written where a reader finds them first.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <utility>
#include <vector>

namespace galvia {

// Key and text pairs of a PNG's text chunks.
using TextesPng = std::vector<std::pair<QString, QString>>;

// A PNG file with text chunks (tEXt, Latin-1) added after its header, before its
// pixels, so that a reader finds them without decoding the pixels. (Qt's own writer
// cannot write keys holding "::".) Returns the file unchanged if it is not a PNG.
QByteArray ajouterTextesPng(const QByteArray& png, const TextesPng& textes);

// The text chunks of a PNG file, wherever they are, in order: tEXt, and zTXt and iTXt
// (Qt-based programs write a value of 40 characters or more compressed, a long URI so).
TextesPng textesPng(QByteArrayView png);

} // namespace galvia
