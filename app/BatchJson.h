// The batch tool's JSON picture of the workspace. Its keys are a stable
// interface: add keys, never rename or drop them.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "image/Workspace.h"
#include "photometry/Science.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"

namespace orelith::batch {

// Writes JSON text as nlohmann::json's dump with an indent of two would
// write the same document, without building its tree of maps first (with a
// thousand stars that tree was the slowest part of a run). An object puts its
// members in byte order of their keys when it closes, as the tree's sorted
// maps would, so keys may come in any order; key names are written as they
// are (no escapes) and must stay alive until their object closes.
class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  void beginObject();
  void endObject();
  void beginArray();
  void endArray();
  void key(std::string_view name);
  void value(long long v);
  void value(int v) { value(static_cast<long long>(v)); }
  void value(bool v);
  void value(double v);  // null when not finite
  void value(std::string_view text);
  void value(const char* text) { value(std::string_view(text)); }
  template <typename T>
  void member(std::string_view name, T v) {
    key(name);
    value(v);
  }
  void ints(std::initializer_list<long long> values);

 private:
  struct Member {
    std::string_view key;
    std::size_t start;  // of its key's opening quote
  };
  static constexpr std::size_t kInOrder = ~std::size_t{0};
  struct Container {
    std::size_t firstMember;  // in members_
    std::size_t firstLate;    // the first member whose key sorts before its predecessor's
  };

  void item();
  void open(char bracket);
  void close(char bracket);
  void lineBreak(bool comma);
  void sortMembers(const Container& object);
  void moveBefore(std::size_t to, std::size_t from, std::size_t end);

  std::string& out_;
  std::vector<Container> open_;
  std::vector<Member> members_;  // of every open object, innermost last
  std::vector<char> spare_;      // text on its way to another place
  bool empty_ = true;
  bool afterKey_ = false;
};

struct JsonInputs {
  std::string files[2];  // paths as given on the command line
  bool withPixels = false;
  std::vector<StringId> messages;
  // The science results, whose keys join each star's object and the top
  // level; none without them.
  const ScienceResults* science = nullptr;
};

// The JSON text: objects with their keys in byte order, indented by two,
// floats widened to double in the shortest form that reads back to the same
// value (null when not finite), names that are no valid UTF-8 with
// replacement characters, and a final line end.
std::string workspaceJsonText(const Workspace& ws, const JsonInputs& in);

}  // namespace orelith::batch
