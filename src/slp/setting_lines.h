// setting_lines.h: the rules of a configuration file's lines: which set a property, and which
// are noted for a setting the SLP library will not take as written.
#pragma once
#include <cstddef>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

#include "slp/bounded_file.h"
#include "slp/store_notes.h"
#include "slp/value_checks.h"

// Orders property names by length first: a name of a length that no property has is told
// apart without comparing its text, so that a file of millions of unknown keys reads quickly.
struct ShorterNameFirst {
  using is_transparent = void;
  bool operator()(std::string_view left, std::string_view right) const {
    return left.size() != right.size() ? left.size() < right.size() : left < right;
  }
};

// A property's value, and how the library reads it.
struct Property {
  std::string value;
  ValueKind kind = ValueKind::kText;
};

// The properties by name: the only names the library is ever asked for.
using Properties = std::map<std::string, Property, ShorterNameFirst>;

// Layers the lines of one file over `properties`, one by one as they are read, counting them
// from 1, and notes in `notes` each line that sets nothing for a reason its writer may not see
// (too long, no "=", a name in the wrong letter case or a slip away from a property's) and each
// value the library will not take as written (which is kept all the same). Leading white space
// is skipped; an empty line, or one that begins with '#' or ';', is a comment; the name is the
// text before the first '=', the value the text after it, both trimmed of every byte from 0x01
// to 0x20; a NUL ends the line; an empty name or value sets nothing; a name without a property
// is forgotten.
class SettingLines : public LineSink {
 public:
  SettingLines(Properties& properties, LineNotes& notes);

  void line(std::string_view text) override;
  void tooLong() override;

 private:
  void noteUnknownName(std::string_view name);
  // Keeps the note of this line: gettext(text) with the file's path, the line's number and
  // `fields`; past the tenth the line is only counted.
  void keepNote(const char* text, std::initializer_list<NoteField> fields);

  Properties& properties;
  LineNotes& notes;
  const NearMisses nearMisses;
  std::size_t number = 0;
};
