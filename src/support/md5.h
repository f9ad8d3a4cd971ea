#pragma once
// MD5 digest of a text's GBK bytes, as the platforms and the maker's service expect it.

#include <QString>

namespace zorvik::support {

// 32 upper-case hexadecimal digits.
QString Md5_Calc(const QString& text);

} // namespace zorvik::support
