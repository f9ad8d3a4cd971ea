#pragma once
// The program's name and version as captions, titles and service requests show them.

namespace zorvik::support {

inline constexpr char16_t kTitle[] = u"Zorvik分分彩遗漏监控挂机投注软件";
inline constexpr char16_t kVersion[] = u"v1.6";
inline constexpr char16_t kBuild[] = u"20151112";
inline constexpr char16_t kProductCode[] = u"zorvik_hele";

} // namespace zorvik::support
