#include "app/windows/macro_expansion.h"

#include "runtime/core/string_functions.h"

namespace tovra {

rt::String NormaliseLine(const rt::String &line) {
  rt::String s = rt::Trim(line);
  s = rt::ReplaceAll(s, "  ", " ");
  return rt::ReplaceAll(s, "  ", " ");
}

rt::String QuoteBlanks(const rt::String &s) { return rt::ReplaceAll(s, " ", "+"); }

rt::String ExpandTemplate(const rt::String &urlTemplate, const rt::String &rest) {
  const rt::String blank(" ");
  int n = rt::CountFields(rest, blank);
  rt::String url = urlTemplate;
  for (int i = 1; i <= n; ++i) {
    url = rt::ReplaceAll(url, rt::String("$") + rt::Str(i), QuoteBlanks(rt::NthField(rest, blank, i)));
  }
  for (int i = n + 1; i <= 9; ++i) url = rt::ReplaceAll(url, rt::String("$") + rt::Str(i), "");
  return rt::ReplaceAll(url, "$*", QuoteBlanks(rest));
}

}  // namespace tovra
