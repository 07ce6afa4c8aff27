// The text-to-number rule against a reference of its own, and the number-to-
// text rule against the standard library.
#include "FuzzCheck.h"
#include "app/Numbers.h"
#include <string>

namespace {
// Skip 0x09..0x0D and blanks, one optional sign, then ASCII digits, summed in
// 64 bits; wrapping modulo 2^64 and cutting to 32 bits wraps modulo 2^32.
qint32 reference(const uint8_t *p, size_t n)
{
    size_t i = 0;
    while (i < n && (p[i] == 0x20 || (p[i] >= 0x09 && p[i] <= 0x0D)))
        ++i;
    bool negative = false;
    if (i < n && (p[i] == '+' || p[i] == '-'))
        negative = p[i++] == '-';
    uint64_t value = 0;
    while (i < n && p[i] >= '0' && p[i] <= '9')
        value = value * 10 + uint64_t(p[i++] - '0');
    if (negative)
        value = ~value + 1;
    return qint32(uint32_t(value));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const qint32 value = textToInt(QByteArrayView(data, qsizetype(size)));
    check(value == reference(data, size), "textToInt differs from the reference");
    const QByteArray text = intToText(value);
    check(text == QByteArray::fromStdString(std::to_string(value)), "intToText is no plain decimal");
    check(textToInt(text) == value, "intToText then textToInt changed the number");
    return 0;
}
