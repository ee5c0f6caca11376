// Names parameterised test rows after their `name` field.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace orelith::test {

struct ParamName {
  template <class T>
  std::string operator()(const testing::TestParamInfo<T>& row) const {
    return row.param.name;
  }
};

}  // namespace orelith::test
