// value_checks.h: what the SLP library makes of a setting that it will not take as written: a
// number that is no number, a yes or no that is neither, a name one slip away from a real one.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the library reads a property's value.
enum class ValueKind {
  kText,        // as it stands
  kNumber,      // with C's atoi
  kNumberList,  // with atoi, piece by piece at the commas
  kYesNo,       // true when it begins with t, T, y, Y or 1
};

// A piece of a value that the library reads other than as written, and what it reads.
struct Misreading {
  std::string_view piece;  // the whole value, or one piece of a list
  std::string reading;     // "0", "1400", "false", ...
};

// Whether the two texts differ in the letter case of ASCII letters alone, if at all.
bool equalButForCase(std::string_view left, std::string_view right);

// The first piece of `value` that the library reads other than as written. A number is taken as
// written when it is a run of decimal digits from 0 to 2147483647, with nothing around it but
// white space; a yes or no when it is true, false, yes, no, 1 or 0 in any letter case.
std::optional<Misreading> misreading(ValueKind kind, std::string_view value);

// The names of the library's settings, for telling a name that is one or two slips away from one
// of them. Each is looked at only when its length and letters could be that close, so that a
// file of millions of names far from every one costs little more than reading it.
class NearMisses {
 public:
  // `names` must outlive the object; each begins with "net.slp.".
  explicit NearMisses(const std::vector<std::string_view>& names);

  // The name nearest to `name` within two edits (a letter added, dropped, changed, or two side
  // by side swapped, letter case aside), directly or as `name` lacks the "net.slp." prefix; the
  // first of equals; nullptr when none is that near.
  const char* resembled(std::string_view name) const { return nearest(name, false); }
  // Whether any name is that near: a cheaper question, answered at the first one found.
  bool resemblesAny(std::string_view name) const { return nearest(name, true) != nullptr; }

 private:
  // A form a name may take, whole or bare, with the letters it holds.
  struct Form {
    std::string_view text;
    std::uint64_t letters;
    const char* name;  // the whole name, NUL-terminated
  };
  // The forms of each length from 0 that are within two letters of that length: the only ones
  // that a name of that length can be near.
  using FormsByLength = std::vector<std::vector<Form>>;

  static void add(FormsByLength& forms, std::string_view text, const char* name);
  static const char* nearest(const FormsByLength& forms, std::string_view name, bool firstFound,
                             int& fewest);
  const char* nearest(std::string_view name, bool firstFound) const;

  FormsByLength whole;
  FormsByLength bare;
};
