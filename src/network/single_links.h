#pragma once
// The network a file of links gives on the command line: one network per file, in which a pair
// is one link or none. Copies of a link given on several rows are one link, and self-links are
// left out unless the self-pairs are dyads (--diagonal). The dialogue reads its files as they
// are (a link given twice counts twice, chapter 5 of the guide) and does not use this.

#include <cstdint>
#include <string>

#include "network/network.h"

namespace tarn {

struct SingleLinks {
  Network network;
  std::int64_t copies = 0;      // links dropped as copies of a link before them
  std::int64_t self_links = 0;  // self-links left out (after the copies)
};

// `source` names the file in the messages of the link store. A network without copies or
// self-links to leave out is handed back as it is, not copied.
SingleLinks single_links(Network read, bool keep_self_links, const std::string& source);

}  // namespace tarn
