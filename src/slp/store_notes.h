// store_notes.h: the notes the store makes of what it could not use, and how they are worded.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the store could not use of its files, for the person running the report: one line each,
// without its line end, "tolvane: FILE: reason" or "tolvane: FILE:LINE: reason". Text from
// outside (a path, a name, a value) stands in them as it was given, but for its length.
using StoreNotes = std::vector<std::string>;

// A field of a note: {name} in its text, and the value that takes its place.
using NoteField = std::pair<std::string_view, std::string_view>;

// The longest field that stands whole in a note; a longer one keeps its beginning and its end,
// each cut between two characters, with "..." between them, so that a note stays a line a
// person can read.
constexpr std::size_t kLongestField = 1024;

// A note: "tolvane: ", then `text` (translated already), with each {name} of `fields` replaced
// by its value in one pass (a path may hold braces of its own), so that a translation may put
// them in the order its language needs.
std::string note(std::string_view text, const std::vector<NoteField>& fields);

// Marks a text for the message catalogue; it is translated where the note is made.
#ifndef N_
#define N_(text) text
#endif

// The notes of one file's lines, kept until the file has been read to its end: a file dropped
// whole is noted for itself only. Past the first ten, lines are only counted, so that millions
// of them hold no memory and do not flood the person reading.
class LineNotes {
 public:
  explicit LineNotes(const char* path) : filePath(path) {}

  const char* path() const { return filePath; }
  // Whether ten notes are kept already, so that the next line is only counted.
  bool full() const { return kept.size() >= kShown; }
  // Whether a note of the next line is kept; when it is not, the line is counted instead.
  bool keepsNext();
  // Keeps a note that keepsNext() made room for.
  void keep(std::string note) { kept.push_back(std::move(note)); }
  // Adds the notes kept, then the count of the others.
  void addTo(StoreNotes& notes) const;

 private:
  static constexpr std::size_t kShown = 10;
  const char* filePath;
  StoreNotes kept;
  std::size_t unshown = 0;
};
