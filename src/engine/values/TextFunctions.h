// The dialect's text functions on Variants. Text is counted in UTF-16 code
// units, as the engine keeps its strings (a character beyond U+FFFF counts
// two). A text argument that is a number or date is taken as its CStr text.
// Null in the text gives Null (StrReverse, Replace, Asc and AscW: 94); a
// Null count, position or compare argument is 94; counts and positions are
// rounded to a Long (13 for text that is no number, 6 beyond a Long).
//
// `compare`: 0 binary (code units), 1 text (letter case ignored), 2 the
// database's order (the General sort order), -1 the function's default: the
// database's order for InStr and StrComp, binary for InStrRev and Replace.
// Any other value is 5.
#pragma once

#include "engine/Variant.h"

namespace telvarn::values {

Variant len(const Variant& value);  // Long
// Left/Right: a negative length is 5; a length beyond the text gives all.
Variant left(const Variant& text, const Variant& length);
Variant right(const Variant& text, const Variant& length);
// Mid: a start below 1 or a negative length is 5; a start beyond the text
// gives "".
Variant mid(const Variant& text, const Variant& start);
Variant mid(const Variant& text, const Variant& start, const Variant& length);
// InStr: the 1-based place of `sought` at or after `start` (below 1: 5), 0
// when absent or when `start` is beyond the text; `start` when `sought` is
// "".
Variant inStr(const Variant& start, const Variant& text, const Variant& sought,
              const Variant& compare);
// InStrRev: the last place of `sought` ending at or before `start` (-1: the
// end; 0 or below -1: 5); 0 when `start` is beyond the text.
Variant inStrRev(const Variant& text, const Variant& sought, const Variant& start,
                 const Variant& compare);
// Replace: the text from `start` (below 1: 5) on, with up to `count` (-1:
// all; below -1: 5) non-overlapping occurrences of `find` replaced.
Variant replace(const Variant& text, const Variant& find, const Variant& with,
                const Variant& start, const Variant& count, const Variant& compare);
// StrComp: -1, 0 or 1 (an Integer); Null when either text is Null.
Variant strComp(const Variant& a, const Variant& b, const Variant& compare);
Variant strReverse(const Variant& text);
Variant lCase(const Variant& text);
Variant uCase(const Variant& text);
// The Trim family removes spaces only, not tabs.
Variant lTrim(const Variant& text);
Variant rTrim(const Variant& text);
Variant trim(const Variant& text);
// Space: a negative count is 5.
Variant space(const Variant& count);
// String(count, character): the first character of a text, or the
// character of a code (taken Mod 256); "" as the character or a negative
// count is 5; Null in either gives Null.
Variant string(const Variant& count, const Variant& character);
// Asc: the Windows-1252 code of the first character (63, "?", when the page
// lacks it); AscW: its UTF-16 unit as an Integer (-32768..32767). "" is 5.
Variant asc(const Variant& text);
Variant ascW(const Variant& text);
// Chr: the Windows-1252 character of 0..255; ChrW: the UTF-16 unit of
// -32768..65535 (negative codes count from 65536). Other codes are 5.
Variant chr(const Variant& code);
Variant chrW(const Variant& code);

}  // namespace telvarn::values
