// terminal_text.h: what of a text from outside may reach the person who reads it.
#pragma once

#include <string>
#include <string_view>

// `text` as a terminal may show it. It is read as UTF-8: each printable character passes as it
// is ("é", CJK, combining marks, private use), each control character (below 0x20, DEL, U+0080
// to U+009F), bidirectional control, line or paragraph separator, format character (zero-width
// ones, joiners, variation selectors, tags) and noncharacter shows as one '?', and so does each
// byte that is not part of a valid sequence (a lone C1 byte such as the 8-bit CSI 0x9B, an
// overlong form, a surrogate, a sequence cut short).
std::string shownOnTerminal(std::string_view text);

// A name from outside (an interface's, a file's) in a line of the program's own: on a terminal as
// the terminal rule says, elsewhere with each byte below 0x20 and DEL as '?': a newline or a tab
// in it would make a line or a column that a script reads as the program's own.
std::string shownAsName(std::string_view name, bool onTerminal);
