#include "wmftext.h"

#include <QStringDecoder>

namespace galvia::wmf {

namespace {

constexpr char16_t privateUse = 0xF000;

// The Symbol font's codes 0x20 to 0xFF; 0 where it draws nothing of Unicode's.
constexpr char16_t symbolTable[224] = {
    // 0x20
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F,
    // 0x30
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B,
    0x003C, 0x003D, 0x003E, 0x003F,
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A,
    0x039B, 0x039C, 0x039D, 0x039F,
    // 0x50
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F,
    // 0x60
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA,
    0x03BB, 0x03BC, 0x03BD, 0x03BF,
    // 0x70
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B,
    0x007C, 0x007D, 0x223C, 0,
    // 0x80, 0x90
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194,
    0x2190, 0x2191, 0x2192, 0x2193,
    // 0xB0
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x23D0, 0x23AF, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284,
    0x2282, 0x2286, 0x2208, 0x2209,
    // 0xD0
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4,
    0x21D0, 0x21D1, 0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3,
    0x23A7, 0x23A8, 0x23A9, 0x23AA,
    // 0xF0
    0, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6,
    0x23AB, 0x23AC, 0x23AD, 0};

// Windows-1252 differs from Latin-1 in 0x80-0x9F.
constexpr char16_t cp1252[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                 0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

const char* codePage(int charset) {
    switch (charset) {
    case MacCharset:
        return "macintosh";
    case ShiftJisCharset:
        return "Shift_JIS";
    case HangulCharset:
        return "windows-949";
    case Gb2312Charset:
        return "GBK";
    case ChineseBig5Charset:
        return "Big5";
    case GreekCharset:
        return "windows-1253";
    case TurkishCharset:
        return "windows-1254";
    case VietnameseCharset:
        return "windows-1258";
    case HebrewCharset:
        return "windows-1255";
    case ArabicCharset:
        return "windows-1256";
    case BalticCharset:
        return "windows-1257";
    case RussianCharset:
        return "windows-1251";
    case ThaiCharset:
        return "windows-874";
    case EastEuropeCharset:
        return "windows-1250";
    case OemCharset:
        return "IBM437";
    default:
        return nullptr;
    }
}

// The first bytes of the characters written in two bytes.
bool isLeadByte(int charset, uchar c) {
    if (charset == ShiftJisCharset) return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (charset == JohabCharset)
        return (c >= 0x84 && c <= 0xD3) || (c >= 0xD8 && c <= 0xDE) || (c >= 0xE0 && c <= 0xF9);
    return c >= 0x81 && c <= 0xFE;
}

DecodedText oneByteEach(QByteArrayView bytes, char16_t (*map)(uchar)) {
    DecodedText out;
    out.text.resize(bytes.size());
    out.bytes.assign(size_t(bytes.size()), 1);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out.text[i] = QChar(map(uchar(bytes[i])));
    return out;
}

bool isSymbolFont(QStringView face) {
    return face.compare(u"Symbol", Qt::CaseInsensitive) == 0;
}

} // namespace

bool isDoubleByte(int charset) {
    return charset == ShiftJisCharset || charset == HangulCharset || charset == JohabCharset ||
           charset == Gb2312Charset || charset == ChineseBig5Charset;
}

QString drawingFamily(const QString& face) {
    if (face.isEmpty()) return QStringLiteral("Sans Serif");
    return isSymbolFont(face) ? QStringLiteral("Serif") : face;
}

char16_t symbolCharacter(uchar code) {
    const char16_t c = code >= 0x20 ? symbolTable[code - 0x20] : 0;
    return c ? c : char16_t(privateUse + code);
}

DecodedText decodeText(QByteArrayView bytes, int charset, QStringView face) {
    if (isSymbolFont(face)) return oneByteEach(bytes, symbolCharacter);
    if (charset == SymbolCharset)
        return oneByteEach(bytes, [](uchar c) { return char16_t(privateUse + c); });
    const char* name = codePage(charset);
    QStringDecoder decoder(name ? name : "", QStringDecoder::Flag::Stateless);
    if (!name || !decoder.isValid())
        return oneByteEach(bytes, [](uchar c) {
            return (c >= 0x80 && c < 0xA0) ? cp1252[c - 0x80] : char16_t(c);
        });
    if (!isDoubleByte(charset)) {
        DecodedText out{decoder(bytes), {}};
        if (out.text.size() == bytes.size()) {
            out.bytes.assign(size_t(bytes.size()), 1);
            return out;
        }
    }
    // Double-byte code pages: a lead byte and the byte after it make one character. The
    // string is cut into characters by its lead bytes and decoded at once; should the decoder
    // see it otherwise, each character is decoded on its own.
    DecodedText out;
    std::vector<int> lengths;
    for (qsizetype i = 0; i < bytes.size();) {
        const int n = isLeadByte(charset, uchar(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
        lengths.push_back(n);
        i += n;
    }
    out.text = decoder(bytes);
    if (out.text.size() == qsizetype(lengths.size())) {
        out.bytes = std::move(lengths);
        return out;
    }
    out.text.clear();
    qsizetype at = 0;
    for (const int n : lengths) {
        QString one = decoder(bytes.sliced(at, n));
        at += n;
        // A lead byte without its second byte stands for a character that cannot be read.
        if (one.isEmpty()) one = QChar(QChar::ReplacementCharacter);
        for (qsizetype k = 0; k < one.size(); ++k) {
            out.text.append(one[k]);
            out.bytes.push_back(k == 0 ? n : 0);
        }
    }
    return out;
}

} // namespace galvia::wmf
