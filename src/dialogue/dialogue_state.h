#pragma once
// What one cycle of the dialogue leaves for the next: the files read by the last file dialogue
// (used again when the user keeps the same files) and the blocking (offered again with
// " Same blocking? ").

#include "model/blocking.h"
#include "network/network.h"
#include "network/node_attributes.h"

namespace tarn {

struct DialogueState {
  Network network;
  bool include_diagonal = false;
  bool use_blocks = false;    // block parameters asked for, and an attribute file read
  NodeAttributes attributes;  // the last attribute file read
  Blocking blocking;          // attribute 0: no blocking
};

}  // namespace tarn
