#pragma once

#include <functional>
#include <optional>

class INetResources;

// Walks run on threads that nobody waits for. At program end the gate closes: from then on a
// walk neither calls its provider nor hands a step to the UI thread, and closing waits (briefly)
// until calls already under way have left the provider, so that the provider and the UI can
// be destroyed under a walk that is still running.
namespace walk_gate {

// Runs step on the UI thread and waits until it has run. The step's result, false when it
// threw, or nothing when the program is ending (the step may not have run).
std::optional<bool> runOnUiThread(std::function<bool()> step);

// Runs call, which uses provider, unless the program is ending; false when it did not run.
bool callProvider(INetResources& provider, const std::function<void()>& call);

// Closes the gate (idempotent). Runs by itself at application end and at exit().
void close();

// Arms the automatic close; call on the UI thread before the first walk starts.
void arm();

} // namespace walk_gate
