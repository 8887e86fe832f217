// Between the harness and its main(): what the end of each test does.
#pragma once

namespace tb {
namespace internal {
// Ends every process the test started (and what they started) that still runs.
void EndStartedProcesses();
// Starts the session's service manager when the session's boot did not.
void EnsureServiceManager();
}  // namespace internal
}  // namespace tb
