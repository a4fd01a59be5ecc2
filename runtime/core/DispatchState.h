#pragma once
// Internal state shared by the dispatch code of the core.
namespace runtime::detail {

// Thrown by haltClose() to abandon the running scripts; boundaries swallow it.
struct HaltUnwind {};

int& depth();

}  // namespace runtime::detail
