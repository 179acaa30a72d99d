#include "store/error.h"

namespace store {

namespace {
FailureReporter current = nullptr;
}

void setFailureReporter(FailureReporter reporter)
{
    current = reporter;
}

void reportFailure(const std::exception& failure)
{
    if (current)
        current(failure);
}

}  // namespace store
