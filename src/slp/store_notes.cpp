// store_notes.cpp: the notes the store makes of what it could not use, and how they are worded.
#include "slp/store_notes.h"

#include <libintl.h>

#include <algorithm>

namespace {

bool continuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xc0u) == 0x80; }

// `value`, or its beginning and end with "..." between, cut between two UTF-8 characters so that
// no character is shown in part.
void appendShortened(std::string& text, std::string_view value) {
  if (value.size() <= kLongestField) {
    text.append(value);
    return;
  }
  constexpr std::size_t kKept = (kLongestField - 3) / 2;
  std::size_t headEnd = kKept;
  while (headEnd > 0 && continuesCharacter(value[headEnd])) --headEnd;
  std::size_t tailBegin = value.size() - kKept;
  while (tailBegin < value.size() && continuesCharacter(value[tailBegin])) ++tailBegin;
  text.append(value.substr(0, headEnd));
  text.append("...");
  text.append(value.substr(tailBegin));
}

}  // namespace

std::string note(std::string_view text, const std::vector<NoteField>& fields) {
  std::string filled = "tolvane: ";
  for (std::size_t brace; (brace = text.find('{')) != std::string_view::npos;) {
    filled.append(text.substr(0, brace));
    text.remove_prefix(brace);
    const auto field = std::find_if(fields.begin(), fields.end(), [text](const NoteField& f) {
      return text.substr(1, f.first.size()) == f.first && text.substr(1 + f.first.size(), 1) == "}";
    });
    if (field == fields.end()) {
      filled += '{';
      text.remove_prefix(1);
    } else {
      const auto& [name, value] = *field;
      appendShortened(filled, value);
      text.remove_prefix(name.size() + 2);
    }
  }
  filled.append(text);
  return filled;
}

bool LineNotes::keepsNext() {
  if (kept.size() < kShown) return true;
  ++unshown;
  return false;
}

void LineNotes::addTo(StoreNotes& notes) const {
  notes.insert(notes.end(), kept.begin(), kept.end());
  if (unshown == 0) return;
  notes.push_back(note(gettext("{path}: {count} more lines with a note, not shown"),
                       {{"path", filePath}, {"count", std::to_string(unshown)}}));
}
