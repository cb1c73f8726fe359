#include "runtime/core/case_folding.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "runtime/core/encoding.h"
#include "runtime/core/string_functions.h"

namespace rt::case_folding_detail {
namespace {

constexpr int kEnd = -1;  // below every byte: a text sorts before the texts it begins

inline bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the valid UTF-8 character that `text` starts with, or 0 when it starts with bytes
// that are not one (truncated, overlong, a surrogate, past U+10FFFF).
size_t ValidCharacterLength(std::string_view text, gunichar &c) {
  c = g_utf8_get_char_validated(text.data(), static_cast<gssize>(text.size()));
  if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) return 0;
  auto length = static_cast<size_t>(g_unichar_to_utf8(c, nullptr));
  return length == static_cast<size_t>(g_utf8_skip[static_cast<unsigned char>(text[0])]) ? length : 0;
}

// The folding of one character. GLib hands each folding back in new memory, and names repeat
// few characters, so the latest foldings are kept, one per slot of a small table.
const std::string &FoldCharacter(gunichar c, std::string_view utf8) {
  struct Recent {
    gunichar character = 0;  // an empty slot: 0 is ASCII and never folded here
    std::string folded;
  };
  thread_local std::array<Recent, 256> recent;
  Recent &slot = recent[(c * 2654435761u) >> 24];
  if (slot.character != c) {
    gchar *folded = g_utf8_casefold(utf8.data(), static_cast<gssize>(utf8.size()));
    slot.folded.assign(folded);
    g_free(folded);
    slot.character = c;
  }
  return slot.folded;
}

// Gives the bytes of the folded text one at a time, folding a character only when it is
// reached, so a comparison that differs early folds nothing after the difference.
class FoldedReader {
 public:
  explicit FoldedReader(std::string_view text) : text_(text) {}

  int Next() {
    if (pendingAt_ < pending_.size()) return static_cast<unsigned char>(pending_[pendingAt_++]);
    if (at_ == text_.size()) return kEnd;
    auto c = static_cast<unsigned char>(text_[at_]);
    if (c < 0x80) {
      ++at_;
      return FoldAscii(c);
    }
    gunichar character;
    size_t length = ValidCharacterLength(text_.substr(at_), character);
    if (length == 0) {
      ++at_;
      return c;
    }
    pending_ = FoldCharacter(character, text_.substr(at_, length));
    pendingAt_ = 0;
    at_ += length;
    return Next();
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
  std::string pending_;  // the current character's folding, short enough to stay off the heap
  size_t pendingAt_ = 0;
};

// The bytes of a string as UTF-8 for comparing. Most names are UTF-8 or have no encoding and
// are used as they are; UTF-16 and Mac Roman letters are converted first.
class ComparableText {
 public:
  explicit ComparableText(const String &s) : bytes_(s.Bytes()) {
    if (!NeedsConversion(s)) return;
    converted_ = TryConvertEncoding(s, kEncodingUTF8);
    if (converted_) bytes_ = converted_->Bytes();
  }
  std::string_view Bytes() const { return bytes_; }

 private:
  static bool NeedsConversion(const String &s) {
    switch (s.Encoding()) {
      case kEncodingUTF16:
        return true;
      case kEncodingMacRoman:
        return std::any_of(s.Bytes().begin(), s.Bytes().end(),
                           [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
      default:
        return false;
    }
  }

  std::optional<String> converted_;
  std::string_view bytes_;
};

}  // namespace

int CompareFoldedFrom(std::string_view a, std::string_view b, size_t from) {
  // Only ASCII lies before `from`, so both sides start a character there.
  FoldedReader ra(a.substr(from));
  FoldedReader rb(b.substr(from));
  for (;;) {
    int x = ra.Next();
    int y = rb.Next();
    if (x != y) return x < y ? -1 : 1;
    if (x == kEnd) return 0;
  }
}

int CompareConverted(const String &a, const String &b) {
  return CompareFolded(ComparableText(a).Bytes(), ComparableText(b).Bytes());
}

}  // namespace rt::case_folding_detail

namespace rt {

LeftEqualsIgnoringCase::LeftEqualsIgnoringCase(const String &prefix)
    : prefix_(prefix), length_(Len(prefix)), utf8Prefix_(case_folding_detail::ReadsAsUtf8(prefix)) {
  if (utf8Prefix_) foldedPrefix_ = FoldCase(prefix);
}

bool LeftEqualsIgnoringCase::CompareHead(const String &text, size_t from) const {
  using case_folding_detail::IsContinuation;
  uint32_t encoding = text.Encoding();
  bool utf8Characters = encoding != kEncodingASCII && encoding != kEncodingMacRoman && encoding != kEncodingUTF16;
  if (!utf8Characters || !utf8Prefix_) return EqualIgnoringCase(Left(text, length_), prefix_);
  // The ASCII before `from` is as many characters as bytes and folds alike on both sides, so
  // only what follows is compared. Most texts differ at once, which their first folded byte shows
  // before the head is measured; the prefix's folding keeps its ASCII bytes where they were.
  std::string_view t = text.Bytes();
  if (from < prefix_.Bytes().size() && from < t.size() &&
      case_folding_detail::FoldedReader(t.substr(from)).Next() != static_cast<unsigned char>(foldedPrefix_[from])) {
    return false;
  }
  // The head as Left takes it, without a copy: a character starts at every byte that does not
  // continue one.
  size_t end = from;
  for (size_t seen = from; end < t.size(); ++end) {
    if (end > 0 && IsContinuation(static_cast<unsigned char>(t[end]))) continue;
    if (seen++ == static_cast<size_t>(length_)) break;
  }
  return EqualFolded(t.substr(from, end - from), prefix_.Bytes().substr(from));
}

std::string FoldCase(const String &s) {
  case_folding_detail::ComparableText text(s);
  std::string folded;
  folded.reserve(text.Bytes().size());
  case_folding_detail::FoldedReader reader(text.Bytes());
  for (int c = reader.Next(); c != case_folding_detail::kEnd; c = reader.Next()) folded += static_cast<char>(c);
  return folded;
}

}  // namespace rt
