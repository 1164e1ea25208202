// Numbers of the custom paper lines, read and written the same way in
// every locale.
#pragma once

#include <string>
#include <string_view>

// The decimal number at the start of text, after any leading white space:
// optional sign, digits, optional point and fraction digits, optional
// exponent, with "." as the point. 0 when text does not start with one.
// Beyond the range of a float it is an infinity, below it zero, as strtof.
float readLeadingNumber(std::string_view text);

// value as "%.2f" prints it in the C locale: fixed point, two decimals.
std::string formatTwoDecimals(float value);
