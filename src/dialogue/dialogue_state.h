#pragma once
// What one cycle of the dialogue leaves for the next: the files read by the last file dialogue
// (used again when the user keeps the same files) and the blocking (offered again with
// " Same blocking? ").

#include "tarnwick/classic/data.h"
#include "tarnwick/classic/model.h"

namespace tarn {

struct DialogueState {
  tarnwick::ClassicNetwork network;
  bool include_diagonal = false;
  bool use_blocks = false;                 // block parameters asked for, and an attribute file read
  tarnwick::ClassicAttributes attributes;  // the last attribute file read
  tarnwick::ClassicBlocking blocking;      // attribute 0: no blocking
};

}  // namespace tarn
