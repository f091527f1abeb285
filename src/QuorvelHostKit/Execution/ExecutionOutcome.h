#pragma once

#include "QuorvelHostKit/Execution/ExecutionError.h"
#include "QuorvelHostKit/Execution/ExecutionResult.h"

#include <variant>

namespace Quorvel {

// What a run ends with: a result (whatever its exit code) or the error that prevented one.
using ExecutionOutcome = std::variant<ExecutionResult, ExecutionError>;

} // namespace Quorvel
