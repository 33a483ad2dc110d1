// setting_lines.cpp: the rules of a configuration file's lines, and the notes of those the SLP
// library will not take as written.
#include "slp/setting_lines.h"

#include <libintl.h>

#include <algorithm>
#include <vector>

namespace {

// Every control byte and the blank, as the library's own reader has it; a byte above 0x7f is
// part of a name or value, whatever the locale says.
bool isSpaceOrControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

std::string_view withoutSurroundingSpace(std::string_view text) {
  while (!text.empty() && isSpaceOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpaceOrControl(text.back())) text.remove_suffix(1);
  return text;
}

// The name among `properties` that `name` matches in all but letter case, or nullptr. Names of
// one length stand together there, so only those of the length of `name` are looked at: most
// unknown names have a length that no name has.
const char* nameInOtherCase(std::string_view name, const Properties& properties) {
  static constexpr char kNothing[64] = {};  // a name of each length that sorts before the others
  if (name.size() >= sizeof kNothing) return nullptr;
  for (auto known = properties.lower_bound(std::string_view(kNothing, name.size()));
       known != properties.end() && known->first.size() == name.size(); ++known) {
    if (equalButForCase(known->first, name)) return known->first.c_str();
  }
  return nullptr;
}

// The note of a value the library reads other than as written, by how it reads it.
const char* misreadingText(ValueKind kind) {
  if (kind == ValueKind::kYesNo) {
    return N_(
        "{path}:{line}: {name} = \"{piece}\" is neither true nor false; the SLP "
        "library reads {reading}");
  }
  if (kind == ValueKind::kNumberList) {
    return N_(
        "{path}:{line}: {name}: \"{piece}\" in the list is not a whole number from 0 "
        "to 2147483647; the SLP library reads {reading}");
  }
  return N_(
      "{path}:{line}: {name} = \"{piece}\" is not a whole number from 0 to "
      "2147483647; the SLP library reads {reading}");
}

std::vector<std::string_view> namesOf(const Properties& properties) {
  std::vector<std::string_view> names(properties.size());
  std::transform(properties.begin(), properties.end(), names.begin(),
                 [](const auto& entry) { return std::string_view(entry.first); });
  return names;
}

}  // namespace

SettingLines::SettingLines(Properties& properties, LineNotes& notes)
    : properties(properties), notes(notes), nearMisses(namesOf(properties)) {}

void SettingLines::tooLong() {
  ++number;
  keepNote(N_("{path}:{line}: longer than 64 KiB; this line sets nothing"), {});
}

void SettingLines::line(std::string_view text) {
  ++number;
  // Callers receive values as C strings, so a NUL ends the line's text: what is stored is what
  // they can see.
  text = withoutSurroundingSpace(text.substr(0, text.find('\0')));
  if (text.empty() || text.front() == '#' || text.front() == ';') return;
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    return keepNote(N_("{path}:{line}: no \"=\" and not a comment; this line sets nothing"), {});
  }
  const std::string_view name = withoutSurroundingSpace(text.substr(0, equals));
  const std::string_view value = withoutSurroundingSpace(text.substr(equals + 1));
  // An empty value leaves the earlier one in force.
  if (name.empty() || value.empty()) return;
  // Nothing but the properties is ever asked for, so any other name is forgotten: a file of
  // unknown keys costs no memory.
  const auto known = properties.find(name);
  if (known == properties.end()) return noteUnknownName(name);
  Property& property = known->second;
  property.value.assign(value);
  if (const auto misread = misreading(property.kind, value)) {
    keepNote(misreadingText(property.kind),
             {{"name", known->first}, {"piece", misread->piece}, {"reading", misread->reading}});
  }
}

void SettingLines::noteUnknownName(std::string_view name) {
  if (const char* known = nameInOtherCase(name, properties)) {
    keepNote(N_("{path}:{line}: {name} is not {known} (names are case-sensitive); this line sets "
                "nothing"),
             {{"name", name}, {"known", known}});
  } else if (notes.full()) {
    if (nearMisses.resemblesAny(name)) (void)notes.keepsNext();  // counted
  } else if (const char* resembled = nearMisses.resembled(name)) {
    keepNote(N_("{path}:{line}: {name} is not a setting (did you mean {known}?); this line sets "
                "nothing"),
             {{"name", name}, {"known", resembled}});
  }
}

void SettingLines::keepNote(const char* text, std::initializer_list<NoteField> fields) {
  // Past the tenth note nothing is made: millions of lines cost a count each.
  if (!notes.keepsNext()) return;
  const std::string lineNumber = std::to_string(number);
  std::vector<NoteField> all{{"path", notes.path()}, {"line", lineNumber}};
  all.insert(all.end(), fields);
  notes.keep(note(gettext(text), all));
}
