// Where the command's suites find their inputs: the fixtures of tests/data/cli
// and the demonstration files of the source tree.
#pragma once

#include <string>

namespace qv::test {

inline std::string CliFixture(const std::string& name) { return std::string(QV_TEST_DATA) + "/cli/" + name; }
inline std::string DemoFile(const std::string& name) { return std::string(QV_SOURCE_DIR) + "/DemoFiles/" + name; }

}  // namespace qv::test
