// Text of metafile records: the code page a font's character set names, and the codes of
// symbol fonts. Pure computations, without painting.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

namespace galvia::wmf {

// Character sets a font may name, and the code pages their strings are written in.
enum CharSet : quint8 {
    AnsiCharset = 0,          // Windows-1252
    DefaultCharset = 1,       // Windows-1252
    SymbolCharset = 2,        // the font's own codes
    MacCharset = 77,          // Mac Roman
    ShiftJisCharset = 128,    // 932, double-byte
    HangulCharset = 129,      // 949, double-byte
    JohabCharset = 130,       // 1361, double-byte
    Gb2312Charset = 134,      // 936, double-byte
    ChineseBig5Charset = 136, // 950, double-byte
    GreekCharset = 161,       // 1253
    TurkishCharset = 162,     // 1254
    VietnameseCharset = 163,  // 1258
    HebrewCharset = 177,      // 1255
    ArabicCharset = 178,      // 1256
    BalticCharset = 186,      // 1257
    RussianCharset = 204,     // 1251
    ThaiCharset = 222,        // 874
    EastEuropeCharset = 238,  // 1250
    OemCharset = 255,         // 437
};

// A record's string as characters, with the number of bytes each was written in (the
// advances of EXTTEXTOUT come one per byte). The second half of a character beyond the
// Basic Multilingual Plane counts no byte.
struct DecodedText {
    QString text;
    std::vector<int> bytes;
};

// Decodes bytes written in the font of the given character set and face name:
//  - the Symbol font maps its codes to the Greek letters and mathematical signs it draws,
//    whatever the character set it is named with;
//  - other fonts of the symbol character set (pictograms, dingbats) keep their codes, at
//    U+F000 and on, where such fonts place their glyphs;
//  - every other character set is read in its code page, Windows-1252 when it is unknown or
//    cannot be read here.
DecodedText decodeText(QByteArrayView bytes, int charset, QStringView face);

// True for the character sets whose characters take one or two bytes.
bool isDoubleByte(int charset);

// The family that draws a face's text: the Symbol font's characters, once mapped, are drawn
// by a serif family that has them (the fonts that answer to that name draw only their own
// codes); other faces are drawn by their own name, a sans serif family when unnamed.
QString drawingFamily(const QString& face);

// The Unicode character the Symbol font draws for a code (U+F000 plus the code where it
// draws nothing of Unicode's).
char16_t symbolCharacter(uchar code);

} // namespace galvia::wmf
