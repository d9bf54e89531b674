// Numbers as the run-time library writes them with United States settings
// (CStr, & and text fields see these), and Currency read exactly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace telvarn::values {

// Currency's range in ten-thousandths: -922,337,203,685,477.5808 to
// 922,337,203,685,477.5807.
inline constexpr int64_t kCurrencyUnitsPerOne = 10000;

// Up to 15 significant digits, no trailing zeros; E notation from 1E+15 up
// and below 0.0001: "0.1", "1E+15", "-1.5E-05", "1.23456789012346E+17".
std::string doubleText(double value);

// The same with up to 7 significant digits: "0.1", "1E+07".
std::string singleText(float value);

// Up to 4 decimals, no trailing zeros, never E notation: "-1.5", "0.0001".
std::string currencyText(int64_t units);

// The ten-thousandths a number text stands for, read exactly (so
// "99999999999999.9999" keeps its last digit), halves rounded to even;
// nullopt when the text is no number, 6 beyond Currency's range.
std::optional<int64_t> currencyFromText(std::string_view text);

// The nearest ten-thousandths of a double, halves to even; 6 beyond the
// range.
int64_t currencyFromDouble(double value);

}  // namespace telvarn::values
