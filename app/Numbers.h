#pragma once
// The runtime's rules between text and 32-bit integers.
#include <QByteArray>

// Skips leading 0x09..0x0D and blanks, takes one optional sign and the ASCII
// digits that follow; no digits give 0; overflow wraps modulo 2^32. Never fails.
qint32 textToInt(QByteArrayView text);
// Plain decimal, "-" before negatives, no leading zeros.
QByteArray intToText(qint32 value);
