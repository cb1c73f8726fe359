#include "platform/fonts.h"

#include <strings.h>

#include <cstring>
#include <string>

namespace platform {
namespace {

struct Family {
  int16_t number;
  const char *name;
};

constexpr Family kFamilies[] = {
    {0, "Chicago"},   {2, "New York"},   {3, "Geneva"},     {4, "Monaco"},
    {5, "Venice"},    {6, "London"},     {7, "Athens"},     {8, "San Francisco"},
    {9, "Toronto"},   {11, "Cairo"},     {12, "Los Angeles"}, {20, "Times"},
    {21, "Helvetica"}, {22, "Courier"},  {23, "Symbol"},    {24, "Taliesin"},
};

}  // namespace

void GetFontName(int16_t familyID, Str255 name) {
  name[0] = 0;
  for (const Family &family : kFamilies) {
    if (family.number == familyID) {
      const size_t length = std::strlen(family.name);
      name[0] = static_cast<unsigned char>(length);
      std::memcpy(name + 1, family.name, length);
      return;
    }
  }
}

void GetFNum(const unsigned char *name, int16_t *familyID) {
  *familyID = 0;
  const std::string wanted(reinterpret_cast<const char *>(name + 1), name[0]);
  for (const Family &family : kFamilies) {
    if (strcasecmp(family.name, wanted.c_str()) == 0) {
      *familyID = family.number;
      return;
    }
  }
}

}  // namespace platform
