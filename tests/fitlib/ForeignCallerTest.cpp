// The library as a program that only knows its file name and its one export sees it. This
// program is not linked against the library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "fitlib/Brelox.h"

namespace {

using DoMinuitFunction = int (*)(const BreloxPoint*, double*, int, int);

// Defined dynamic symbols of the library file, by name without version suffix; version
// definitions (absolute symbols such as BRELOX_0) are left out.
std::set<std::string> exportedSymbols(std::string& listing) {
  const std::string command = std::string(BRELOX_NM) + " -D --defined-only " + BRELOX_FILE;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::set<std::string> names;
  if (!pipe) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    listing += line;
    std::istringstream fields(line);
    std::string address, type, name;
    if (!(fields >> address >> type >> name) || type == "A") continue;
    names.insert(name.substr(0, name.find('@')));
  }
  return names;
}

TEST(ForeignCaller, LoadsTheLibraryByFileNameAndSeesOnlyDoMinuit) {
  const std::unique_ptr<void, int (*)(void*)> library(dlopen(BRELOX_FILE, RTLD_NOW | RTLD_LOCAL),
                                                      dlclose);
  ASSERT_TRUE(library) << dlerror();
  const auto doMinuit = reinterpret_cast<DoMinuitFunction>(dlsym(library.get(), "DoMinuit"));
  ASSERT_NE(doMinuit, nullptr) << dlerror();

  // y = 4 - 0.5x exactly at four points.
  const BreloxPoint points[] = {{2.0, 3.0}, {3.0, 2.5}, {5.0, 1.5}, {6.0, 1.0}};
  double c[2] = {9.0, 9.0};
  EXPECT_EQ(doMinuit(points, c, 4, 2), 0);
  EXPECT_NEAR(c[0], 4.0, 1e-12);
  EXPECT_NEAR(c[1], -0.5, 1e-12);
  std::string listing;
  EXPECT_EQ(exportedSymbols(listing), std::set<std::string>{"DoMinuit"}) << listing;
}

}  // namespace
