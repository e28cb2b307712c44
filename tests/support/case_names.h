// Parameterized tests whose cases carry their own `name`: each instantiated test is named by its case rather
// than by its index (the name generator of INSTANTIATE_TEST_SUITE_P).
#pragma once
#include <string>

inline constexpr auto byCaseName = [](const auto& info) { return std::string(info.param.name); };
