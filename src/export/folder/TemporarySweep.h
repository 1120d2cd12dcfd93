#pragma once

#include <string>
#include <unordered_set>

namespace tunecrate {

// Clears a target folder of the temporaries that killed runs left there, once
// per run, when the run first uses it: each file named as platform::temporaryName
// names them that platform::removeAbandonedTemporary can remove.
class TemporarySweep {
public:
    void sweepOnce(const std::string& folder);

private:
    std::unordered_set<std::string> swept_;
};

} // namespace tunecrate
