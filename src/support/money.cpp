#include "support/money.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace zorvik::support {

namespace {

// Writes a "%e"/"%g" style number as a plain decimal without exponent and trailing zeros.
std::string plain_decimal(const std::string& text)
{
    std::string sign;
    std::string body = text;
    if (!body.empty() && body[0] == '-') {
        sign = "-";
        body.erase(0, 1);
    }
    int exponent = 0;
    if (const auto e = body.find_first_of("eE"); e != std::string::npos) {
        exponent = std::atoi(body.c_str() + e + 1);
        body.erase(e);
    }
    std::string digits;
    int point = 0; // digits before the decimal point
    if (const auto p = body.find('.'); p != std::string::npos) {
        digits = body.substr(0, p) + body.substr(p + 1);
        point = int(p);
    } else {
        digits = body;
        point = int(body.size());
    }
    point += exponent;
    if (point <= 0) {
        digits.insert(0, std::string(size_t(-point) + 1, '0'));
        point = 1;
    } else if (point > int(digits.size())) {
        digits.append(size_t(point) - digits.size(), '0');
    }
    std::string whole = digits.substr(0, size_t(point));
    std::string frac = digits.substr(size_t(point));
    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    const auto nz = whole.find_first_not_of('0');
    whole = nz == std::string::npos ? "0" : whole.substr(nz);
    if (whole == "0" && frac.empty())
        return "0";
    return sign + whole + (frac.empty() ? "" : "." + frac);
}

} // namespace

QString money_text(double value)
{
    if (std::isnan(value))
        value = 0;
    value = std::fmax(-double(FLT_MAX), std::fmin(double(FLT_MAX), value));
    const float single = float(value);
    char buf[64];
    // printf rounds the exact binary value; an exact tie goes to the even neighbour.
    std::snprintf(buf, sizeof buf, "%.2f", double(single));
    const float rounded = std::strtof(buf, nullptr);
    std::snprintf(buf, sizeof buf, "%.7g", double(rounded));
    return QString::fromStdString(plain_decimal(buf));
}

QString amount_text(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e15)
        return money_text(value);
    const qint64 li = whole_li(value);
    if (li % 10 == 0)
        return money_text(double(li) / 1000);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%lld.%03lld", li < 0 ? "-" : "", std::llabs(li) / 1000,
                  std::llabs(li) % 1000);
    return QString::fromLatin1(buf);
}

qint64 whole_li(double value)
{
    const double li = round_as_read(value, 3) * 1000;
    if (!std::isfinite(li))
        return 0;
    return std::llround(std::clamp(li, -9e18, 9e18));
}

double round_as_read(double value, int decimals)
{
    if (!std::isfinite(value))
        return 0;
    // Fifteen significant digits: the decimal form a person reads for this double.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    std::string text = buf;
    const bool negative = text[0] == '-';
    if (negative)
        text.erase(0, 1);
    const auto e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2); // 15 digits, d.ddd
    // Keep the digits down to `decimals` places after the point.
    const int keep = exponent + 1 + decimals;
    if (keep < 0)
        return 0;
    std::string kept = digits.substr(0, size_t(std::min<int>(keep, int(digits.size()))));
    if (keep > int(digits.size()))
        kept.append(size_t(keep) - digits.size(), '0');
    const bool up = keep < int(digits.size()) && digits[size_t(keep)] >= '5';
    if (kept.empty())
        kept = "0";
    if (up) {
        int i = int(kept.size()) - 1;
        while (i >= 0 && kept[size_t(i)] == '9')
            kept[size_t(i--)] = '0';
        if (i < 0)
            kept.insert(0, "1");
        else
            ++kept[size_t(i)];
    }
    const std::string scientific = (negative ? "-" : "") + kept + "e-" + std::to_string(decimals);
    return std::strtod(scientific.c_str(), nullptr);
}

} // namespace zorvik::support
