#include "image/FileTitle.h"

#include <cstring>

namespace orelith {
namespace {

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

void makeFileTitle(std::string_view path, char* title, int size) {
  std::string_view name = path;
  if (auto slash = path.rfind('/'); slash != std::string_view::npos) name = path.substr(slash + 1);
  auto room = static_cast<std::size_t>(size - 1);
  std::size_t cut = name.size();
  if (cut > room) {
    cut = room;
    // Back up to the lead byte of a character the cut would split; a UTF-8
    // sequence has at most three continuation bytes.
    std::size_t back = 0;
    while (back < 3 && cut - back > 0 && isContinuationByte(name[cut - back])) ++back;
    if (back > 0 && cut - back > 0 && !isContinuationByte(name[cut - back])) {
      auto lead = static_cast<unsigned char>(name[cut - back]);
      if (lead >= 0xC0) cut -= back;
    }
  }
  std::memcpy(title, name.data(), cut);
  title[cut] = '\0';
}

}  // namespace orelith
