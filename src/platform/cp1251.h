#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The one lossless code page 1251 codec. Every byte maps to a code point and back (the byte
// 0x98, unassigned in the code page, maps to U+0098). Code points outside the code page
// encode as '?'.
QString fromCp1251(QByteArrayView bytes);
QByteArray toCp1251(QStringView text);

// Upper case of the ASCII letters a to z only; every other byte stays as it is.
QByteArray asciiUpper(QByteArray bytes);
