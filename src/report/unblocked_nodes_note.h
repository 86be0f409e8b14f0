#pragma once
// The sentence that tells how many nodes lie in no block: on the dialogue's screen after the
// blocking is chosen, and among the command line's notes.

#include <string>

namespace tarn {

// For `unblocked` (1 or more) nodes whose value is outside 1 to `block_count`; without the
// leading blank and the line end of the screen.
std::string unblocked_nodes_sentence(int unblocked, int block_count);

}  // namespace tarn
