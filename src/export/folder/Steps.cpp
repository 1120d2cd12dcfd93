#include "folder/Steps.h"

namespace tunecrate {
namespace {

StepHook& hook()
{
    static StepHook installed;
    return installed;
}

} // namespace

void setStepHook(StepHook newHook)
{
    hook() = std::move(newHook);
}

void reached(Step step)
{
    if (hook()) {
        hook()(step);
    }
}

} // namespace tunecrate
