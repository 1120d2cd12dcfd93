#pragma once

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace tunecrate::test {

// Names each row of a parameterised test after its case's name member.
struct CaseName {
    template <class Case> std::string operator()(const testing::TestParamInfo<Case>& row) const
    {
        return row.param.name;
    }
};

// Test output names a row by its name rather than by its bytes. A test file
// brings it in with `using test::PrintTo;` beside its cases, where GoogleTest
// looks for it.
template <class Case>
requires requires(const Case& row, std::ostream& out)
{
    out << row.name;
}
void PrintTo(const Case& row, std::ostream* out)
{
    *out << row.name;
}

} // namespace tunecrate::test
