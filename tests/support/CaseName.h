#pragma once

#include <gtest/gtest.h>
#include <string>

namespace tunecrate::test {

// Names each row of a parameterised test after its case's name member.
struct CaseName {
    template <class Case> std::string operator()(const testing::TestParamInfo<Case>& row) const
    {
        return row.param.name;
    }
};

} // namespace tunecrate::test
