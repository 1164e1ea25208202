// Makes option text safe inside a double-quoted XML attribute value.
#pragma once

#include <string>
#include <string_view>

// Returns text as it may stand between the double quotes of an XML 1.0
// attribute in a UTF-8 document:
// - & < > " become &amp; &lt; &gt; &quot;;
// - control bytes other than tab, line feed and carriage return become a space;
// - well-formed UTF-8 sequences of XML characters pass unchanged;
// - every other byte (stray continuation bytes, overlong or cut-off
//   sequences, surrogates, U+FFFE/U+FFFF) is taken as the ISO 8859-1
//   character of that value and written as a character reference (&#xE9;
//   for the byte 0xE9), so legacy 8-bit text still reads as meant.
// Text without any of these bytes comes back unchanged.
std::string escapeXmlAttribute(std::string_view text);
