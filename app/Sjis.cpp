#include "app/Sjis.h"
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <vector>

// A fresh converter per call: each text is whole, so no state may carry over.
QString fromSjis(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-31j");
    return decoder(bytes);
}

QByteArray toSjis(const QString &text)
{
    QStringEncoder encoder("windows-31j");
    return encoder(text);
}

QString fromSjisStart(QByteArrayView bytes, qsizetype characters)
{
    // A character takes at most two bytes.
    return fromSjis(bytes.first(std::min(bytes.size(), 2 * characters + 2)));
}

namespace {
// U+FFFF is no character: it marks a code that is no text, and 0xFFFF (0xFF
// leads no character) a character that has no code.
constexpr char16_t noText = 0xFFFF;
constexpr quint16 noCode = 0xFFFF;

struct Codes {
    bool lead[256] = {};
    std::vector<char16_t> text = std::vector<char16_t>(65536, noText); // by byte, or lead << 8 | trail
    std::vector<quint16> code = std::vector<quint16>(65536, noCode);   // by character
};

char16_t textOf(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-31j", QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    QStringEncoder encoder("windows-31j");
    const QByteArray back = encoder(text);
    return !decoder.hasError() && !encoder.hasError() && text.size() == 1 && back == bytes ? text[0].unicode()
                                                                                             : noText;
}

const Codes &codes()
{
    static const Codes table = [] {
        Codes c;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            QStringDecoder decoder("windows-31j");
            // A lead byte gives nothing until the next byte is in.
            c.lead[b] = QString(decoder(QByteArrayView(&byte, 1))).isEmpty() && !decoder.hasError();
            const auto add = [&](int at, QByteArrayView bytes) {
                c.text[size_t(at)] = textOf(bytes);
                if (c.text[size_t(at)] != noText)
                    c.code[c.text[size_t(at)]] = quint16(at);
            };
            if (!c.lead[b])
                add(b, QByteArrayView(&byte, 1));
            else
                for (int t = 0; t < 256; ++t) {
                    const char pair[2] = {byte, char(t)};
                    add(b << 8 | t, QByteArrayView(pair, 2));
                }
        }
        return c;
    }();
    return table;
}
} // namespace

qsizetype decodeSjis(QByteArrayView bytes, QByteArray *utf8)
{
    const Codes &c = codes();
    // A character of one or two bytes takes at most three in UTF-8; the room
    // not written is never touched.
    const qsizetype kept = utf8 ? utf8->size() : 0;
    if (utf8)
        utf8->resize(kept + 3 * bytes.size());
    char *to = utf8 ? utf8->data() + kept : nullptr;
    qsizetype i = 0, fault = -1;
    while (i < bytes.size()) {
        const uchar b = uchar(bytes[i]);
        const bool pair = c.lead[b];
        const char16_t ch = !pair ? c.text[b] : i + 1 < bytes.size() ? c.text[size_t(b << 8 | uchar(bytes[i + 1]))] : noText;
        if (ch == noText) {
            fault = i;
            break;
        }
        i += pair ? 2 : 1;
        if (!to)
            continue;
        if (ch < 0x80) {
            *to++ = char(ch);
        } else if (ch < 0x800) {
            *to++ = char(0xC0 | ch >> 6);
            *to++ = char(0x80 | (ch & 0x3F));
        } else {
            *to++ = char(0xE0 | ch >> 12);
            *to++ = char(0x80 | (ch >> 6 & 0x3F));
            *to++ = char(0x80 | (ch & 0x3F));
        }
    }
    if (utf8)
        utf8->truncate(to - utf8->constData());
    return fault;
}

qsizetype encodeSjis(QStringView text, QByteArray *out)
{
    const Codes &c = codes();
    QByteArray bytes(out ? 2 * text.size() : 0, Qt::Uninitialized);
    char *to = bytes.data();
    qsizetype fault = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const quint16 code = c.code[text[i].unicode()];
        if (code == noCode) {
            fault = i;
            break;
        }
        if (!out)
            continue;
        if (code > 0xFF)
            *to++ = char(code >> 8);
        *to++ = char(code);
    }
    if (out) {
        bytes.truncate(to - bytes.data());
        *out = std::move(bytes);
    }
    return fault;
}
