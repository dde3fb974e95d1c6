#include "Text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tavik::metafile {

namespace {

const char* CodePageName(int charset) {
    switch (charset) {
    case 77:
        return "macintosh";
    case 128:
        return "Shift_JIS";
    case 129:
        return "windows-949";
    case 134:
        return "GBK";
    case 136:
        return "Big5";
    case 161:
        return "windows-1253";
    case 162:
        return "windows-1254";
    case 163:
        return "windows-1258";
    case 177:
        return "windows-1255";
    case 178:
        return "windows-1256";
    case 186:
        return "windows-1257";
    case 204:
        return "windows-1251";
    case 222:
        return "windows-874";
    case 238:
        return "windows-1250";
    case 255:
        return "IBM437";
    default:
        return "windows-1252";
    }
}

} // namespace

QString DecodeAnsi(std::span<const std::uint8_t> bytes, int charset) {
    const QByteArray raw(reinterpret_cast<const char*>(bytes.data()),
                         static_cast<qsizetype>(bytes.size()));
    if (charset == 2) {
        // Symbol fonts are addressed by byte value; Latin-1 keeps that value
        // as the code point, which fonts without a symbol map also accept.
        return QString::fromLatin1(raw);
    }
    QStringDecoder decoder(CodePageName(charset));
    if (!decoder.isValid())
        decoder = QStringDecoder("windows-1252");
    if (!decoder.isValid())
        return QString::fromLatin1(raw);
    return decoder.decode(raw);
}

QByteArray EncodeAnsi(const QString& text, int charset) {
    if (charset == 2)
        return text.toLatin1();
    QByteArray out;
    // Character by character, checked by decoding again: encoders replace
    // what a code page lacks without always saying so.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, n);
        QStringEncoder encoder(CodePageName(charset));
        QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(one)) : one.toLatin1();
        if (encoder.hasError() || bytes.isEmpty() ||
            DecodeAnsi(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())),
                       charset) != one)
            bytes = "?";
        out += bytes;
        i += n - 1;
    }
    return out;
}

int CharsetFor(const QString& text) {
    for (int charset : {0, 204, 238, 161, 162, 177, 178, 186, 222, 128, 134, 129, 136}) {
        const QByteArray bytes = EncodeAnsi(text, charset);
        if (DecodeAnsi(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())),
                       charset) == text)
            return charset;
    }
    return 0;
}

} // namespace tavik::metafile
